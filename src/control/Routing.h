#pragma once
// Routing and take on the Video Switching page: an output is selected, inputs are routed to
// it as temporary routes, and Take commits them all while Cancel withdraws them. The
// operations work on MatrixState, send through the command set and paint through a view.

#include "state/MatrixState.h"
#include "control/Shade.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

namespace kv {

class CommandChannel;
class CommitPath;

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

    // Handlers of the page's controls (numbers count from 1), with their guards.
    void OutputButtonClick(int n);
    void InputButtonClick(int n);
    void ReclockerCheckBoxClick(int n);
    void TakeButtonClick();
    void CancelTakeButtonClick();
    void ClearAllRoutingButtonClick();

    // While a recalled preset is previewed, Take confirms it and Cancel withdraws it. The
    // preset panel fills these; left empty, Take and Cancel act on the routes.
    std::function<void()> onPreviewConfirm;
    std::function<void()> onPreviewCancel;
    // Withdraws a pending preview the way the panel's Cancel does; false when none was.
    bool WithdrawPreview();

    // Another pending change (an undo), shown but not yet sent. Take sends it (false: there
    // was none, Take acts on the routes); every CancelTake first puts it back, sending nothing.
    std::function<bool()> onPendingTake;
    std::function<void()> onPendingCancel;
    // "TAKE 1" has been sent: the switcher committed every temporary route, whoever made it.
    std::function<void()> afterTakeCommit;
    // "TAKE 0" has been sent: the switcher dropped every temporary route, whoever made it.
    std::function<void()> afterTakeCancel;
    std::function<void(const QString &)> showStatus;

    RoutingView &view() { return m_view; }

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
};

} // namespace kv
