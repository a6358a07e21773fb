#include "app/LabelFiles.h"

#include "app/MatrixForm.h"
#include "config/LabelCsv.h"
#include "control/Labels.h"
#include "ui/Dialogs.h"

#include <QFile>
#include <QSaveFile>
#include <QStatusBar>

namespace kv {

namespace {

// The file's kinds are the page's kinds, in the same order.
static_assert(int(LabelKind::Input) == 0 && int(LabelKind::Output) == 1 &&
              int(LabelKind::Group) == 2 && int(LabelKind::Preset) == 3);

} // namespace

LabelFiles::LabelFiles(TMatrixForm &form, Labels &labels)
    : QObject(&form), m_form(form), m_labels(labels)
{
}

void LabelFiles::ExportLabels1Click()
{
    const QString name = Dialogs::instance().saveLabelFileName(&m_form);
    if (name.isEmpty())
        return;
    QList<LabelRow> rows;
    for (LabelKind kind : kLabelKinds) {
        for (int n = 1; n <= LabelCountOf(kind); ++n)
            rows.append({int(kind), n, m_labels.labelText(kind, n)});
    }
    QSaveFile file(name);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(WriteLabelCsv(rows)) < 0 || !file.commit()) {
        Dialogs::instance().plain(
            &m_form, QStringLiteral("Unable to write the label file: %1").arg(file.errorString()));
    }
}

void LabelFiles::ImportLabels1Click()
{
    const QString name = Dialogs::instance().openLabelFileName(&m_form);
    if (name.isEmpty())
        return;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        Dialogs::instance().plain(
            &m_form, QStringLiteral("Unable to read the label file: %1").arg(file.errorString()));
        return;
    }
    const QByteArray bytes = file.read(kLabelCsvMaxBytes + 1);
    if (bytes.size() > kLabelCsvMaxBytes) {
        Dialogs::instance().plain(
            &m_form, QStringLiteral("Labels not imported: the file is larger than 1 MiB."));
        return;
    }
    if (file.error() != QFileDevice::NoError) {
        Dialogs::instance().plain(
            &m_form, QStringLiteral("Unable to read the label file: %1").arg(file.errorString()));
        return;
    }
    const LabelCsvResult result = ReadLabelCsv(bytes);
    if (!result.ok()) {
        Dialogs::instance().plain(&m_form, QStringLiteral("Labels not imported: line %1: %2.")
                                               .arg(result.badLine)
                                               .arg(result.reason));
        return;
    }
    for (const LabelRow &row : result.rows) {
        const auto kind = LabelKind(row.kind);
        m_labels.setLabel(kind, row.number, row.label);
    }
    m_form.MainStatusBar->showMessage(
        QStringLiteral("Labels imported: %1").arg(result.rows.size()));
}

} // namespace kv
