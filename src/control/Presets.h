#pragma once
// The eight presets: save the live setting into one, recall one as a preview that Confirm
// (or Take) sends and Cancel withdraws, or recall one at once for the preset sequence.

#include "state/MatrixState.h"

#include <QObject>
#include <cstdint>

namespace kv {

class CommandChannel;
class CommitPath;
class Routing;
class StatusRead;

// What the preset operations need of the preset panel. Presets count from 0.
class PresetView {
public:
    virtual ~PresetView() = default;
    virtual void setPresetPageVisible(bool visible) = 0;
    virtual void setSaveEnabled(bool enabled) = 0;
    virtual bool saveEnabled() const = 0;
    virtual void setSaveCancelEnabled(bool enabled) = 0;
    virtual void setRecallEnabled(bool enabled) = 0;
    virtual void setRecallCancelEnabled(bool enabled) = 0;
    virtual void setConfirmEnabled(bool enabled) = 0;
    virtual void setPresetButtonEnabled(int preset, bool enabled) = 0;
};

class Presets : public QObject {
    Q_OBJECT
public:
    Presets(MatrixState &state, CommandChannel &channel, PresetView &view, CommitPath &commits,
            Routing &routing, StatusRead &statusRead, QObject *parent = nullptr);

    // Handlers of the panel; only the preset buttons look at Busy.
    void PresetsSaveButtonClick();
    void PresetSaveCancelButtonClick();
    void PresetsRecallButtonClick();
    void PresetButtonClick(int n); // counts from 1
    void PresetRecallConfirmButtonClick();
    void PresetRecallCancelButtonClick();

    // Operations; presets count from 0 and numbers outside 0-7 are ignored.
    void InitPresets(); // the panel half; the records are emptied by ClearPresets
    void EnablePresetButtonsForSave();
    void EnablePresetButtonsForRecall();
    void ChoosePreset(int preset, bool saving);
    void RecallPreset(int preset, bool preview);
    // Whose changes a preview's Confirm or Cancel makes: "preset N" while one is pending,
    // else "operator".
    QString previewOrigin() const;

signals:
    // A click that changed nothing, and why.
    void status(const QString &text);

private:
    void SavePreset(int preset);
    void PanelAtRestAfterRecall();

    MatrixState &m_state;
    CommandChannel &m_channel;
    PresetView &m_view;
    CommitPath &m_commits;
    Routing &m_routing;
    StatusRead &m_statusRead; // the whole-window refresh
};

} // namespace kv
