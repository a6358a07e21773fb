#pragma once
// Routing and take on the Video Switching page: an output is selected, inputs are routed to
// it as temporary routes, and Take commits them all while Cancel withdraws them. The
// operations work on MatrixState, send through the command set and paint through a view.

#include "control/Shade.h"
#include "state/MatrixState.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <cstdint>
#include <functional>

namespace kv {

class CommandChannel;
class CommitPath;
class FollowSwitcher;
class Presets;
class RouteJournal;
class UndoTake;

// What the operations paint; numbers are 0-based indices (0-15).
class RoutingView {
public:
    virtual ~RoutingView() = default;

    virtual void paintOutputButton(int output, Shade shade) = 0;
    virtual void paintInputButton(int input, Shade shade) = 0;
    virtual void setVideoLabelText(int output, const QString &text) = 0;
    virtual void paintVideoLabel(int output, Shade shade) = 0;
    // Changing the tick raises the box's change handler, as an operator's click does.
    virtual void setReclockerTicked(int output, bool ticked) = 0;
    virtual bool reclockerTicked(int output) const = 0;
    virtual void setOutputRowEnabled(int output, bool enabled) = 0;
    virtual void setInputButtonEnabled(int input, bool enabled) = 0;
    virtual void setTakeLamp(bool lit) = 0;
    // The main window's caption.
    virtual void setCaption(const QString &caption) = 0;
};

// The main window's caption for a model code; empty for a code outside the model table.
QString ModelCaption(std::uint8_t modelCode);

// Whether the output's group lets it take the input (0-based), as selecting the output
// enables the input buttons: its own group's inputs, or those of no group.
bool InputAllowedFor(const MatrixState &s, int output, int input);

class Routing : public QObject {
    Q_OBJECT
public:
    Routing(MatrixState &state, CommandChannel &channel, RoutingView &view, CommitPath &commits,
            QObject *parent = nullptr);

    // Operations (0-based).
    void SelectOutput(int output);
    void RouteInput(int input);
    void TakeRoutes();
    void CommitTemporaryRoutes();
    void CancelTake();
    void ClearAllRoutes();
    void SetReclocker(int output);
    void HighlightRoutedInput(int output);
    void UpdateVideoLabelText(int output);
    void UpdateVideoLabelColour(int output);
    void UpdateReclockerCheckBox(int output);
    void EnableOutputRow(int output, bool enabled);
    void EnableInputButton(int input, bool enabled);
    void RefreshRoutingPage();
    // A salvo: every (output, input), 0-based and already checked, as a temporary route, then
    // one take, all inside one exchange, shown on the page as the operator's routes are.
    void TakeSalvo(const QList<QPair<int, int>> &routes);

    // Handlers of the page's controls (numbers count from 1), with their guards.
    void OutputButtonClick(int n);
    void InputButtonClick(int n);
    void ReclockerCheckBoxClick(int n);
    void TakeButtonClick();
    void CancelTakeButtonClick();
    void ClearAllRoutingButtonClick();

    // While a recalled preset is previewed, Take confirms it and Cancel withdraws it; a
    // shown undo is sent by Take and put back by every CancelTake; a "TAKE 1" or "TAKE 0"
    // commits or drops the temporary routes made elsewhere too. The core joins these once
    // it has built them.
    void join(Presets &presets, UndoTake &undo, FollowSwitcher &follower, RouteJournal &journal);
    // Withdraws a pending preview the way the panel's Cancel does; false when none was.
    bool WithdrawPreview();
    // An undo is shown and not yet sent.
    bool UndoShown() const;
    // The console's side of a "TAKE 1" sent by someone else (the undo): what was made
    // elsewhere is on air too.
    void CommitAfterTake();

    RoutingView &view() { return m_view; }

signals:
    // A click that changed nothing, and why.
    void status(const QString &text);

private:
    // The inputs the output's group allows, applied to the input buttons.
    void ApplyGroupRestriction(int output);
    void PaintInputIfPort(int input, Shade shade);
    void RevertPending(int output);
    void TakeCancel();
    // Protected and locked outputs take no input from a click, and Clear All Routing leaves
    // them alone.
    bool Protected(int output) const;
    bool Locked(int output) const;
    bool Held(int output) const { return Protected(output) || Locked(output); }
    void ClearUnprotectedRoutes();

    MatrixState &m_state;
    CommandChannel &m_channel;
    RoutingView &m_view;
    CommitPath &m_commits;
    Presets *m_presets = nullptr;
    UndoTake *m_undo = nullptr;
    FollowSwitcher *m_follower = nullptr;
    RouteJournal *m_journal = nullptr;
};

} // namespace kv
