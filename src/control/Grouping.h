#pragma once
// Groups of outputs and inputs: a group's outputs may only take the group's inputs, and those
// inputs are offered to no other output. Every change goes to the switcher at once.

#include "control/Shade.h"
#include "state/MatrixState.h"

#include <QObject>

namespace kv {

class CommandChannel;

// What the grouping operations need of the Grouping page. Indices are 0-based.
class GroupingView {
public:
    virtual ~GroupingView() = default;
    virtual void paintGroupInputButton(int input, Shade shade) = 0;
    virtual void paintGroupOutputButton(int output, Shade shade) = 0;
    virtual void setGroupInputButtonEnabled(int input, bool enabled) = 0;
    virtual void setGroupOutputButtonEnabled(int output, bool enabled) = 0;
    virtual void setGroupExistTicked(int group, bool ticked) = 0;
    virtual void setGroupExistBoxEnabled(int group, bool enabled) = 0;
    virtual void setOutputFirstVisible(bool visible) = 0;
    // The selector always has one group selected (0-7).
    virtual int selectedGroup() const = 0;
    virtual void selectGroup(int group) = 0;
    // "Group 1" .. "Group 8", without the labels.
    virtual void setPlainGroupItems() = 0;
};

class Grouping : public QObject {
    Q_OBJECT
public:
    Grouping(MatrixState &state, CommandChannel &channel, GroupingView &view,
             QObject *parent = nullptr);

    // Handlers, with the Busy guard where the console has one.
    void GroupingRadioGroupClick();
    void GroupInputButtonClick(int n);  // n counts from 1
    void GroupOutputButtonClick(int n); // n counts from 1
    void GroupingRemoveButtonClick();
    void GroupingRemoveAllButtonClick();

    // Operations; group, input and output count from 0. Numbers outside the arrays are
    // ignored, whoever passes them.
    void InitGroups(); // the page half; the table is emptied by ClearGroupTable
    void ShowGroup(int group);
    // After a table came from elsewhere (a file): group 1 selected and shown, the boxes redrawn.
    void ShowLoadedGroups();
    void UpdateGroupExistBoxes();
    void ToggleGroupInput(int group, int input);
    void ToggleGroupOutput(int group, int output);
    void RemoveGroup(int group);
    void RemoveAllGroups();
    void RefreshGroupingPage();
    void ColourGroupInputs(int group);
    void ColourGroupOutputs(int group);
    void EnableGroupInputButton(int input, bool enabled);
    void EnableGroupOutputButton(int output, bool enabled);

private:
    // Steps shared by RemoveGroup and RemoveAllGroups: empty the group, redraw, no command.
    void DissolveGroup(int group);
    int currentGroup() const;

    MatrixState &m_state;
    CommandChannel &m_channel;
    GroupingView &m_view;
};

} // namespace kv
