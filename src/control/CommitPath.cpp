#include "control/CommitPath.h"

#include "control/FollowSwitcher.h"

#include <algorithm>

namespace kv {

CommitPath::CommitPath(const MatrixState &state, Holds &holds, HoldQuestions &questions,
                       QObject *parent)
    : QObject(parent), m_state(state), m_holds(holds), m_questions(questions)
{
}

QList<int> CommitPath::pendingOutputs() const
{
    QList<int> list;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        if (m_state.Routes[o].Taken == 0)
            list << o;
    return list;
}

QList<int> CommitPath::presetMoves(int preset) const
{
    QList<int> list;
    if (preset < 0 || preset >= kPresetCount)
        return list;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        if (PresetChangesOutput(m_state, m_state.Presets[preset], o))
            list << o;
    return list;
}

QList<int> CommitPath::madeElsewhere() const
{
    return m_follower ? m_follower->foreignTemporaryOutputs() : QList<int>{};
}

QList<int> CommitPath::affected(const Intent &intent) const
{
    QList<int> outputs = intent.moves;
    if (intent.takesAll)
        for (int o : madeElsewhere())
            if (!outputs.contains(o))
                outputs << o;
    std::sort(outputs.begin(), outputs.end());
    return outputs;
}

bool CommitPath::mayCommit(const Intent &intent)
{
    if (intent.takesAll) {
        if (m_follower)
            m_follower->catchUp();
        const QList<int> elsewhere = madeElsewhere();
        if (!elsewhere.isEmpty() &&
            !m_questions.askYesNo(
                QStringLiteral("The switcher holds temporary routes made "
                               "elsewhere on outputs %1. %2 commits them too. "
                               "%3 anyway?")
                    .arg(ProtectedOutputs::numbers(elsewhere), intent.what, intent.verb)))
            return false;
    }
    return m_holds.mayChange(intent.what, affected(intent),
                             QStringLiteral("%1 it anyway?").arg(intent.verb), m_questions);
}

QString CommitPath::refusal(const Intent &intent, const QString &owner) const
{
    return m_holds.refusal(affected(intent), owner);
}

} // namespace kv
