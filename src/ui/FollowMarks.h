#pragma once
// What following the switcher shows on the Video Switching page: an amber frame for a few
// seconds on the route label of an output changed elsewhere (its tool tip says when), and a
// dashed violet frame with the input in the corner on an output that holds a temporary
// route made elsewhere. The frames lie over the labels and leave their colours alone.

#include <QObject>
#include <QString>

class QTimer;

namespace kv {

class SwitchingPage;
class MarkFrame;

inline constexpr int kChangedMarkMs = 4000;

class FollowMarks : public QObject {
    Q_OBJECT
public:
    explicit FollowMarks(SwitchingPage &page, int changedMarkMs = kChangedMarkMs);

    // 0-based outputs.
    void markChanged(int output, const QString &tip);
    void markForeign(int output, int input); // input -1: none
    // Routed again since: the amber frame and its tool tip go.
    void unmarkChanged(int output);
    bool changedShown(int output) const;
    bool foreignShown(int output) const;
    // Every mark and tool tip of following gone, as before it was switched on.
    void clear();

private:
    void updateTip(int output);

    SwitchingPage &m_page;
    int m_changedMs;
    MarkFrame *m_changed[16] = {};
    MarkFrame *m_foreign[16] = {};
    QTimer *m_fade[16] = {};
    QString m_changedTip[16];
    int m_foreignInput[16];
};

} // namespace kv
