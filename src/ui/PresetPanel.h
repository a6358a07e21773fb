#pragma once
// The preset panel "Preset Save/Recall": Save and Recall with their Cancel buttons, Confirm,
// and the eight preset buttons on a tab shown while a preset is being chosen.

#include "control/Presets.h"

#include <QGroupBox>

class QPushButton;
class QTabWidget;

namespace kv {

class PresetPanel : public QGroupBox, public PresetView {
    Q_OBJECT
public:
    explicit PresetPanel(QWidget *parent = nullptr);

    // The preset label on button p + 1 (0-based).
    void setPresetCaption(int preset, const QString &text);
    void setPresetToolTip(int preset, const QString &text);
    void setRecallToolTip(const QString &text);
    bool recallEnabled() const;

    // PresetView
    void setPresetPageVisible(bool visible) override;
    void setSaveEnabled(bool enabled) override;
    bool saveEnabled() const override;
    void setSaveCancelEnabled(bool enabled) override;
    void setRecallEnabled(bool enabled) override;
    void setRecallCancelEnabled(bool enabled) override;
    void setConfirmEnabled(bool enabled) override;
    void setPresetButtonEnabled(int preset, bool enabled) override;

signals:
    void saveClicked();
    void saveCancelClicked();
    void recallClicked();
    void recallCancelClicked();
    void confirmClicked();
    void presetClicked(int n); // counts from 1

private:
    QPushButton *button(const QString &name, const QString &caption, const QRect &at,
                        void (PresetPanel::*clicked)());

    QPushButton *m_save;
    QPushButton *m_saveCancel;
    QPushButton *m_recall;
    QPushButton *m_recallCancel;
    QPushButton *m_confirm;
    QTabWidget *m_page;
    QPushButton *m_presets[kPresetCount];
};

} // namespace kv
