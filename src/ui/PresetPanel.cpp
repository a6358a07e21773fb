#include "ui/PresetPanel.h"

#include "ui/LabelButton.h"

#include <QPushButton>
#include <QTabWidget>

namespace kv {

PresetPanel::PresetPanel(QWidget *parent) : QGroupBox(QStringLiteral("Preset Save/Recall"), parent)
{
    setObjectName(QStringLiteral("PresetsGroupBox"));

    m_save = button(QStringLiteral("PresetsSaveButton"), QStringLiteral("Save"), {10, 24, 60, 28},
                    &PresetPanel::saveClicked);
    m_saveCancel = button(QStringLiteral("PresetSaveCancelButton"), QStringLiteral("Cancel"),
                          {10, 58, 60, 28}, &PresetPanel::saveCancelClicked);
    m_recall = button(QStringLiteral("PresetsRecallButton"), QStringLiteral("Recall"),
                      {76, 24, 60, 28}, &PresetPanel::recallClicked);
    m_recallCancel = button(QStringLiteral("PresetRecallCancelButton"), QStringLiteral("Cancel"),
                            {76, 58, 60, 28}, &PresetPanel::recallCancelClicked);
    m_confirm = button(QStringLiteral("PresetRecallConfirmButton"), QStringLiteral("Confirm"),
                       {76, 92, 60, 28}, &PresetPanel::confirmClicked);
    m_saveCancel->setEnabled(false);
    m_recallCancel->setEnabled(false);
    m_confirm->setEnabled(false);

    m_page = new QTabWidget(this);
    m_page->setObjectName(QStringLiteral("PresetsPageControl"));
    m_page->setGeometry(10, 130, 126, 292);
    auto *sheet = new QWidget;
    m_page->addTab(sheet, QStringLiteral("1 - 8"));
    for (int p = 0; p < kPresetCount; ++p) {
        auto *b = new LabelButton(QString::number(p + 1), sheet);
        b->setObjectName(QStringLiteral("PresetButton%1").arg(p + 1));
        b->setGeometry(12, 8 + p * 31, 98, 27);
        connect(b, &QPushButton::clicked, this, [this, p] { emit presetClicked(p + 1); });
        m_presets[p] = b;
    }
    m_page->hide();
}

QPushButton *PresetPanel::button(const QString &name, const QString &caption, const QRect &at,
                                 void (PresetPanel::*clicked)())
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setGeometry(at);
    connect(b, &QPushButton::clicked, this, clicked);
    return b;
}

void PresetPanel::setPresetCaption(int p, const QString &text)
{
    if (p >= 0 && p < kPresetCount)
        m_presets[p]->setText(text);
}

void PresetPanel::setPresetToolTip(int p, const QString &text)
{
    if (p >= 0 && p < kPresetCount)
        m_presets[p]->setToolTip(text);
}

void PresetPanel::setRecallToolTip(const QString &text) { m_recall->setToolTip(text); }

void PresetPanel::setPresetPageVisible(bool visible) { m_page->setVisible(visible); }
void PresetPanel::setSaveEnabled(bool enabled) { m_save->setEnabled(enabled); }
// The button's own setting, whatever a disabled window around it says.
bool PresetPanel::saveEnabled() const { return !m_save->testAttribute(Qt::WA_ForceDisabled); }
void PresetPanel::setSaveCancelEnabled(bool enabled) { m_saveCancel->setEnabled(enabled); }
bool PresetPanel::recallEnabled() const { return m_recall->isEnabled(); }
void PresetPanel::setRecallEnabled(bool enabled) { m_recall->setEnabled(enabled); }
void PresetPanel::setRecallCancelEnabled(bool enabled) { m_recallCancel->setEnabled(enabled); }
void PresetPanel::setConfirmEnabled(bool enabled) { m_confirm->setEnabled(enabled); }

void PresetPanel::setPresetButtonEnabled(int p, bool enabled)
{
    if (p >= 0 && p < kPresetCount)
        m_presets[p]->setEnabled(enabled);
}

} // namespace kv
