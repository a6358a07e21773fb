#include "ui/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace kv {

namespace {
Dialogs *installed = nullptr;
int unattendedMs = 0;
Dialogs::UnattendedReport unattendedReport;
} // namespace

void Dialogs::answerUnattendedAfter(int ms, UnattendedReport report)
{
    unattendedMs = qMax(0, ms);
    unattendedReport = std::move(report);
}

int Dialogs::unattendedAfterMs() { return unattendedMs; }

QString Dialogs::answerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok: return QStringLiteral("OK");
    case Answer::Cancel: return QStringLiteral("Cancel");
    case Answer::Yes: return QStringLiteral("Yes");
    case Answer::No: return QStringLiteral("No");
    }
    return {};
}

Dialogs &Dialogs::instance()
{
    static QtDialogs real;
    return installed ? *installed : real;
}

void Dialogs::install(Dialogs *dialogs) { installed = dialogs; }

Dialogs::Answer QtDialogs::message(QWidget *parent, const QString &title, const QString &text,
                                   Buttons buttons, Icon icon)
{
    QMessageBox box(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon, title, text,
                    QMessageBox::NoButton, parent);
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    bool answeredItself = false;
    QTimer unattended;
    if (unattendedMs > 0) {
        const QMessageBox::StandardButton safe = buttons == Buttons::OkCancel ? QMessageBox::Cancel
                                                 : buttons == Buttons::YesNo  ? QMessageBox::No
                                                                              : QMessageBox::Ok;
        unattended.setSingleShot(true);
        QObject::connect(&unattended, &QTimer::timeout, &box, [&box, &answeredItself, safe] {
            answeredItself = true;
            box.button(safe)->click();
        });
        unattended.start(unattendedMs);
    }
    const Answer answer = answerOf(box.exec(), buttons, box.clickedButton() == nullptr);
    if (answeredItself && unattendedReport)
        unattendedReport(title, text, answer);
    return answer;
}

Dialogs::Answer QtDialogs::answerOf(int result, Buttons buttons, bool escaped)
{
    switch (result) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default:
        // Escape on a Yes/No box means No; on OK/Cancel it means Cancel.
        if (buttons == Buttons::YesNo && escaped)
            return Answer::No;
        return Answer::Ok;
    }
}

QString QtDialogs::openFileName(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"));
}

QString QtDialogs::saveFileName(QWidget *parent)
{
    // The operator chose the name; overwriting it is what he asked for.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), QString(), QString(),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

namespace {
const QString kLabelFilter = QStringLiteral("Label files (*.csv);;All files (*)");
}

QString QtDialogs::openLabelFileName(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Import Labels"), QString(),
                                        kLabelFilter);
}

QString QtDialogs::saveLabelFileName(QWidget *parent)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Export Labels"),
                                        QStringLiteral("labels.csv"), kLabelFilter);
}

} // namespace kv
