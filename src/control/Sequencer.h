#pragma once
// The preset sequence: up to eight steps, each a stored preset held on air for its own
// delay, recalled one after another in an endless cycle until Stop.

#include "control/Shade.h"
#include "state/MatrixState.h"

#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QTimer;

namespace kv {

class CommandChannel;
class CommitPath;
class Presets;
class RouteJournal;

inline constexpr int kSeqSteps = 8;

// What the sequence needs of the Sequencing page. Steps count from 0.
class SequencingView {
public:
    virtual ~SequencingView() = default;
    virtual bool stepTicked(int step) const = 0;
    virtual QString presetText(int step) const = 0;
    virtual QString delayText(int step) const = 0;
    virtual void setStepEditsEnabled(int step, bool enabled) = 0;
    // Puts the focus into an edit, unless the edit cannot take it (disabled during a run).
    virtual void focusPresetEdit(int step) = 0;
    virtual void focusDelayEdit(int step) = 0;
    virtual void setStepControlsEnabled(bool enabled) = 0; // PresetSequenceActiveBox
    virtual void setLampLit(bool lit) = 0;
    virtual void paintStepLabel(int step, Shade shade) = 0;
    virtual void showMessage(const QString &text) = 0;
};

// Digits with an optional leading minus sign, blanks around them allowed; nothing else.
std::optional<long long> ParseStepInteger(const QString &text);

struct PresetSeqEntry {
    std::int32_t Preset = 0;  // 1-8 as the operator counts; 0 = step switched off
    std::int32_t DelayMs = 0; // the operator's seconds times 1000
};

class Sequencer : public QObject {
    Q_OBJECT
public:
    // secondMs: the length of one second of delay (shorter in tests).
    Sequencer(MatrixState &state, SequencingView &view, int secondMs, Presets &presets,
              CommitPath &commits, CommandChannel &channel, RouteJournal *journal,
              QObject *parent = nullptr);

    // Handlers; steps count from 1.
    void PresetSeqEnableCheckBoxClick(int n);
    void PresetSeqEditExit(int n);
    void PresetDelayEditExit(int n);
    void PresetSeqStartButtonClick();
    void PresetSeqStopButtonClick();
    void PresetSeqTimerTimer();
    void HighlightPresetSeqStep(int index);

    QTimer *timer() const { return m_timer; } // PresetSeqTimer
    bool running() const { return m_lampLit; }

    PresetSeqEntry PresetSeqTable[kSeqSteps];
    std::int32_t PresetSeqCount = 0;
    std::int32_t PresetSeqIndex = 0;

    // The wait before a step that fell due during another exchange is tried again.
    static constexpr int kRetryMs = 50;

signals:
    // A step's preset went to the switcher.
    void stepRecalled();
    // A step was left out, and why.
    void status(const QString &text);

private:
    // The two checks; true when the edit passed. Each leaves its result beside the edit.
    bool CheckPresetEdit(int step);
    bool CheckDelayEdit(int step);
    void Fail(const QString &message, int step, bool presetEdit);
    void Recall(int step);
    void Arm(int ms);

    MatrixState &m_state;
    SequencingView &m_view;
    Presets &m_presets;
    CommitPath &m_commits;
    CommandChannel &m_channel;
    RouteJournal *m_journal;
    // The protects a Start was answered Yes for: its run may move them.
    QList<int> m_passedForRun;
    int m_secondMs;
    QTimer *m_timer;
    bool m_presetFailed[kSeqSteps] = {};
    bool m_delayFailed[kSeqSteps] = {};
    bool m_lampLit = false;
    bool m_inStep = false;
};

} // namespace kv
