#include "ui/LabelingPage.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace kv {

namespace {

struct KindText {
    const char *name;    // "Input": InputLabelEdit1, ResetInputLabelsButton
    const char *caption; // caption label above each edit
    const char *tab;
};

const KindText kTexts[] = {
    {"Input", "Input", "Input 1 - 16"},
    {"Output", "Output", "Output 1 - 16"},
    {"Group", "Group", "Group 1 - 8"},
    {"Preset", "Preset", "Preset 1 - 8"},
};

const KindText &textsOf(LabelKind kind) { return kTexts[int(kind)]; }

// Layout of one block: a frame holding a one-tab page control and the Reset button.
constexpr int kBlockX = 4;
constexpr int kBlockWidth = 720;
constexpr int kColumns = 8;
constexpr int kPitchX = 70;
constexpr int kPitchY = 42;
constexpr int kEditWidth = 62;

} // namespace

LabelingPage::LabelingPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LabelTabSheet"));
    buildBlock(LabelKind::Input, 4, 130);
    buildBlock(LabelKind::Output, 138, 130);
    buildBlock(LabelKind::Group, 272, 96);
    buildBlock(LabelKind::Preset, 372, 96);
}

void LabelingPage::buildBlock(LabelKind kind, int y, int height)
{
    const KindText &t = textsOf(kind);
    const QString name = QString::fromLatin1(t.name);
    Block &b = m_blocks[int(kind)];

    auto *frame = new QGroupBox(this);
    frame->setObjectName(name + QStringLiteral("LabelGroupBox"));
    frame->setGeometry(kBlockX, y, kBlockWidth, height);

    auto *tabs = new QTabWidget(frame);
    tabs->setObjectName(name + QStringLiteral("LabelPageControl"));
    tabs->setGeometry(8, 8, 578, height - 16);
    tabs->setFocusPolicy(Qt::NoFocus);
    auto *sheet = new QWidget;
    sheet->setObjectName(name + QStringLiteral("LabelTabSheet"));
    tabs->addTab(sheet, QString::fromLatin1(t.tab));

    for (int n = 1; n <= LabelCountOf(kind); ++n) {
        const int col = (n - 1) % kColumns;
        const int row = (n - 1) / kColumns;
        const int x = 6 + col * kPitchX;

        auto *caption =
            new QLabel(QStringLiteral("%1 %2").arg(QLatin1String(t.caption)).arg(n), sheet);
        caption->setObjectName(name + QStringLiteral("LabelCaption%1").arg(n));
        caption->setGeometry(x, 4 + row * kPitchY, kEditWidth, 14);

        auto *edit = new QLineEdit(QString::number(n), sheet);
        edit->setObjectName(name + QStringLiteral("LabelEdit%1").arg(n));
        edit->setGeometry(x, 18 + row * kPitchY, kEditWidth, 21);
        edit->setMaxLength(kMaxLabelLength);
        edit->installEventFilter(this);
        caption->setBuddy(edit);

        b.captions[n - 1] = caption;
        b.edits[n - 1] = edit;
    }

    b.reset = new QPushButton(QStringLiteral("Reset %1 Labels").arg(name), frame);
    b.reset->setObjectName(QStringLiteral("Reset%1LabelsButton").arg(name));
    b.reset->setGeometry(kBlockWidth - 126, 10, 118, 25);
    connect(b.reset, &QPushButton::clicked, this, [this, kind] { emit resetClicked(kind); });
}

QLineEdit *LabelingPage::edit(LabelKind kind, int n) const
{
    return n >= 1 && n <= LabelCountOf(kind) ? m_blocks[int(kind)].edits[n - 1] : nullptr;
}

QLabel *LabelingPage::caption(LabelKind kind, int n) const
{
    return n >= 1 && n <= LabelCountOf(kind) ? m_blocks[int(kind)].captions[n - 1] : nullptr;
}

QPushButton *LabelingPage::resetButton(LabelKind kind) const { return m_blocks[int(kind)].reset; }

QString LabelingPage::labelText(LabelKind kind, int n) const
{
    QLineEdit *e = edit(kind, n);
    return e ? e->text() : QString();
}

void LabelingPage::setLabelText(LabelKind kind, int n, const QString &text)
{
    if (QLineEdit *e = edit(kind, n))
        e->setText(text);
}

void LabelingPage::RefreshLabelRows(int inputCount, int outputCount)
{
    for (int n = 1; n <= 16; ++n) {
        const bool input = n <= inputCount;
        const bool output = n <= outputCount;
        edit(LabelKind::Input, n)->setEnabled(input);
        caption(LabelKind::Input, n)->setEnabled(input);
        edit(LabelKind::Output, n)->setEnabled(output);
        caption(LabelKind::Output, n)->setEnabled(output);
    }
}

QLineEdit *LabelingPage::nextInRing(LabelKind kind, int n) const
{
    int k = int(kind);
    // At most one full turn: every edit but the one we start from.
    for (int step = 0; step < 48; ++step) {
        if (++n > LabelCountOf(LabelKind(k))) {
            k = (k + 1) % 4;
            n = 1;
        }
        QLineEdit *e = edit(LabelKind(k), n);
        if (e->isEnabled() && e->focusPolicy() != Qt::NoFocus)
            return e;
    }
    return nullptr;
}

bool LabelingPage::locate(QObject *o, LabelKind *kind, int *n) const
{
    for (LabelKind k : kLabelKinds) {
        for (int i = 1; i <= LabelCountOf(k); ++i) {
            if (m_blocks[int(k)].edits[i - 1] == o) {
                *kind = k;
                *n = i;
                return true;
            }
        }
    }
    return false;
}

void LabelingPage::enterPressed(LabelKind kind, int n)
{
    QLineEdit *next = nextInRing(kind, n);
    if (!next || next == edit(kind, n))
        return;
    // Moving the focus applies the label being left. Where the window is not active no
    // focus events flow, so apply it here instead.
    m_exitDelivered = false;
    next->setFocus(Qt::TabFocusReason);
    if (!m_exitDelivered)
        emit labelExit(kind, n);
}

bool LabelingPage::eventFilter(QObject *watched, QEvent *event)
{
    LabelKind kind;
    int n;
    if ((event->type() != QEvent::KeyPress && event->type() != QEvent::FocusOut) ||
        !locate(watched, &kind, &n))
        return QWidget::eventFilter(watched, event);

    if (event->type() == QEvent::FocusOut) {
        // A menu or another window taking the focus for a moment is not leaving the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::MenuBarFocusReason) {
            m_exitDelivered = true;
            emit labelExit(kind, n);
        }
        return false;
    }

    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        enterPressed(kind, n);
        return true;
    }
    return false;
}

} // namespace kv
