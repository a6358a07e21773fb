#include "control/Sequencer.h"

#include "control/CommitPath.h"
#include "control/Presets.h"
#include "control/RouteJournal.h"
#include "link/CommandChannel.h"

#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <limits>

namespace kv {

namespace {
constexpr int kMaxPresetNumber = 8;
constexpr int kMinDelay = 3;
constexpr int kMaxDelay = 9999;
constexpr int kDesignIntervalMs = 500;

bool IsStep(int step) { return step >= 0 && step < kSeqSteps; }
} // namespace

std::optional<long long> ParseStepInteger(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[ \\t]*-?[0-9]+[ \\t]*$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QString number = text.trimmed();
    bool ok = false;
    const long long value = number.toLongLong(&ok);
    if (ok)
        return value;
    // Too many digits for any counter: still a number, and out of every limit.
    return number.startsWith(u'-') ? std::numeric_limits<long long>::min()
                                   : std::numeric_limits<long long>::max();
}

Sequencer::Sequencer(MatrixState &state, SequencingView &view, int secondMs, Presets &presets,
                     CommitPath &commits, CommandChannel &channel, RouteJournal *journal,
                     QObject *parent)
    : QObject(parent), m_state(state), m_view(view), m_presets(presets), m_commits(commits),
      m_channel(channel), m_journal(journal), m_secondMs(secondMs), m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("PresetSeqTimer"));
    m_timer->setInterval(kDesignIntervalMs);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &Sequencer::PresetSeqTimerTimer);
}

void Sequencer::PresetSeqEnableCheckBoxClick(int n)
{
    if (IsStep(n - 1))
        m_view.setStepEditsEnabled(n - 1, m_view.stepTicked(n - 1));
}

void Sequencer::PresetSeqEditExit(int n)
{
    if (IsStep(n - 1))
        CheckPresetEdit(n - 1);
}

void Sequencer::PresetDelayEditExit(int n)
{
    if (IsStep(n - 1))
        CheckDelayEdit(n - 1);
}

void Sequencer::Fail(const QString &message, int step, bool presetEdit)
{
    (presetEdit ? m_presetFailed : m_delayFailed)[step] = true;
    m_view.showMessage(message);
    if (presetEdit)
        m_view.focusPresetEdit(step);
    else
        m_view.focusDelayEdit(step);
}

bool Sequencer::CheckPresetEdit(int step)
{
    const QString text = m_view.presetText(step);
    const auto value = ParseStepInteger(text);
    if (!value) {
        Fail(QStringLiteral("Error! '") + text + QStringLiteral("' is not a valid Preset number."),
             step, true);
        return false;
    }
    if (*value < 1 || *value > kMaxPresetNumber) {
        Fail(QStringLiteral("Error! Preset number out of limits (1-%1)").arg(kMaxPresetNumber),
             step, true);
        return false;
    }
    m_presetFailed[step] = false;
    return true;
}

bool Sequencer::CheckDelayEdit(int step)
{
    const QString text = m_view.delayText(step);
    const auto value = ParseStepInteger(text);
    if (!value) {
        Fail(QStringLiteral("Error! '") + text + QStringLiteral("' is not a valid Delay number."),
             step, false);
        return false;
    }
    if (*value < kMinDelay || *value > kMaxDelay) {
        Fail(QStringLiteral("Error! Delay number out of limits (%1-%2)")
                 .arg(kMinDelay)
                 .arg(kMaxDelay),
             step, false);
        return false;
    }
    m_delayFailed[step] = false;
    return true;
}

void Sequencer::PresetSeqStartButtonClick()
{
    bool anyOn = false;
    for (int i = 0; i < kSeqSteps; ++i)
        anyOn = anyOn || m_view.stepTicked(i);
    if (!anyOn) {
        m_view.showMessage(QStringLiteral("Error! No Preset Sequence enabled."));
        return;
    }

    // Every step is checked into a scratch table first: a Start that fails on a later step
    // leaves a run already going exactly as it was.
    PresetSeqEntry table[kSeqSteps];
    int count = 0;
    int first = -1;
    for (int i = 0; i < kSeqSteps; ++i) {
        if (!m_view.stepTicked(i))
            continue;
        if (!CheckPresetEdit(i) || !CheckDelayEdit(i))
            return;
        const QString text = m_view.presetText(i);
        const int preset = int(*ParseStepInteger(text));
        const int delay = int(*ParseStepInteger(m_view.delayText(i)));
        if (!PresetIsStored(m_state, preset)) {
            m_view.showMessage(
                QStringLiteral("Error! Preset #'") + text +
                QStringLiteral("' is currently empty. Select a different Preset number"));
            m_view.focusPresetEdit(i);
            return;
        }
        if (first < 0)
            first = i;
        table[i].Preset = preset;
        table[i].DelayMs = delay * 1000;
        ++count;
    }
    QList<int> presets;
    for (const PresetSeqEntry &e : table)
        if (e.Preset != 0 && !presets.contains(e.Preset - 1))
            presets << e.Preset - 1;
    QList<int> outputs;
    for (int p : presets)
        for (int o : m_commits.presetMoves(p))
            if (!outputs.contains(o))
                outputs << o;
    std::sort(outputs.begin(), outputs.end());
    if (!m_commits.mayCommit(
            {QStringLiteral("The preset sequence"), outputs, false, QStringLiteral("Start")}))
        return;
    m_passedForRun = m_commits.holds().protectedAmong(outputs);
    std::copy(std::begin(table), std::end(table), std::begin(PresetSeqTable));
    PresetSeqCount = count;

    m_view.setStepControlsEnabled(false);
    PresetSeqIndex = first;
    HighlightPresetSeqStep(first);
    // A run already going starts again from its first step.
    m_timer->stop();
    Recall(first);
    m_view.setLampLit(true);
    m_lampLit = true;
    Arm(PresetSeqTable[first].DelayMs);
}

void Sequencer::PresetSeqStopButtonClick()
{
    m_timer->stop();
    m_view.setLampLit(false);
    m_lampLit = false;
    m_view.setStepControlsEnabled(true);
}

void Sequencer::PresetSeqTimerTimer()
{
    m_timer->stop();
    if (PresetSeqCount == 1)
        return; // the single step stays on air until Stop
    // Never in the middle of another exchange: the step waits until it has ended.
    if (m_inStep || m_state.Busy != 0 || m_channel.exchangeInProgress()) {
        m_timer->start(kRetryMs);
        return;
    }
    int index = IsStep(PresetSeqIndex) ? PresetSeqIndex : kSeqSteps - 1;
    for (int k = 0; k < kSeqSteps; ++k) {
        index = (index + 1) % kSeqSteps;
        if (PresetSeqTable[index].Preset != 0)
            break;
    }
    if (!IsStep(index) || PresetSeqTable[index].Preset == 0)
        return;
    PresetSeqIndex = index;
    Recall(index);
    HighlightPresetSeqStep(index);
    Arm(PresetSeqTable[index].DelayMs);
}

void Sequencer::HighlightPresetSeqStep(int index)
{
    for (int i = 0; i < kSeqSteps; ++i)
        m_view.paintStepLabel(i, Shade::Face);
    if (IsStep(index))
        m_view.paintStepLabel(index, Shade::Lime);
}

void Sequencer::Recall(int step)
{
    const int preset = PresetSeqTable[step].Preset - 1;
    // A hold taken while the run goes on: a question would stop the run, so the step that
    // would break it is left out.
    QList<int> outputs;
    for (int o : m_commits.presetMoves(preset))
        if (!m_passedForRun.contains(o) || !m_commits.holds().lockOwner(o).isEmpty())
            outputs << o;
    if (const QString why =
            m_commits.refusal({QStringLiteral("Sequence step"), outputs, false, {}});
        !why.isEmpty()) {
        emit status(QStringLiteral("Sequence step %1 skipped: %2").arg(step + 1).arg(why));
        return;
    }
    m_inStep = true;
    {
        const RouteJournal::Scope scope(m_journal,
                                        QStringLiteral("sequence step %1").arg(step + 1));
        m_presets.RecallPreset(preset, false);
    }
    m_inStep = false;
    emit stepRecalled();
}

void Sequencer::Arm(int delayMs) { m_timer->start(int(qint64(delayMs) * m_secondMs / 1000)); }

} // namespace kv
