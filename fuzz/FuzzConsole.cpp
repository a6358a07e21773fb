#include "FuzzConsole.h"

#include <QCoreApplication>

namespace kv::fuzz {

namespace {

class NullHost : public LinkHost {
public:
    void showMessage(const QString &) override {}
    void showMessage(const QString &, const QString &) override {}
    bool askOkCancel(const QString &, const QString &) override { return false; }
    bool askYesNo(const QString &, const QString &) override { return false; }
    void showError(const QString &) override {}
    void setStatusText(const QString &) override {}
    void setPagesEnabled(bool) override {}
    bool showBusyCursor() override { return false; }
    void showArrowCursor() override {}
};

// The views keep what they are told only as far as the operations read it back.
class NullRouting : public RoutingView {
public:
    void paintOutputButton(int, Shade) override {}
    void paintInputButton(int, Shade) override {}
    void setVideoLabelText(int, const QString &) override {}
    void paintVideoLabel(int, Shade) override {}
    void setReclockerTicked(int output, bool ticked) override
    {
        if (IsPortIndex(output))
            ticks[output] = ticked;
    }
    bool reclockerTicked(int output) const override { return IsPortIndex(output) && ticks[output]; }
    void setOutputRowEnabled(int, bool) override {}
    void setInputButtonEnabled(int, bool) override {}
    void setTakeLamp(bool) override {}
    void setCaption(const QString &) override {}
    bool ticks[kMaxPorts] = {};
};

class NullGrouping : public GroupingView {
public:
    void paintGroupInputButton(int, Shade) override {}
    void paintGroupOutputButton(int, Shade) override {}
    void setGroupInputButtonEnabled(int, bool) override {}
    void setGroupOutputButtonEnabled(int, bool) override {}
    void setGroupExistTicked(int, bool) override {}
    void setGroupExistBoxEnabled(int, bool) override {}
    void setOutputFirstVisible(bool) override {}
    int selectedGroup() const override { return group; }
    void selectGroup(int g) override { group = IsGroupIndex(g) ? g : 0; }
    void setPlainGroupItems() override {}
    int group = 0;
};

class NullPresets : public PresetView {
public:
    void setPresetPageVisible(bool) override {}
    void setSaveEnabled(bool enabled) override { save = enabled; }
    bool saveEnabled() const override { return save; }
    void setSaveCancelEnabled(bool) override {}
    void setRecallEnabled(bool) override {}
    void setRecallCancelEnabled(bool) override {}
    void setConfirmEnabled(bool) override {}
    void setPresetButtonEnabled(int, bool) override {}
    bool save = true;
};

class NullStatus : public StatusHost, public StatusReadView {
public:
    void setProgressMessage(const QString &) override {}
    void setProgressDots(const QString &) override {}
    void showProgress() override {}
    void hideProgress() override {}
    void showReadError(const QString &) override {}
    void setStatusText(const QString &) override {}
    void processEvents() override {}
    void pause(int) override {}
    bool showBusyCursor() override { return false; }
    void showArrowCursor() override {}
    void showMessage(const QString &) override {}
    void refreshLabelRows(int, int) override {}
    void showSystemInfo(bool, bool, const QString &, const QString &) override {}
};

class NullFollow : public FollowView {
public:
    bool mayPoll() const override { return false; }
    void showFollowStatus(const QString &) override {}
    void markChanged(int, const QString &) override {}
    void unmarkChanged(int) override {}
    void markForeign(int, int) override {}
};

// Nobody answers: every question gets No.
class NoAnswers : public HoldQuestions {
public:
    bool askYesNo(const QString &) override { return false; }
};

} // namespace

struct FuzzConsole::Views {
    NullHost host;
    NullRouting routing;
    NullGrouping grouping;
    NullPresets presets;
    NullStatus status;
    NullFollow follow;
    NoAnswers questions;
};

void InitQt(int *argc, char ***argv)
{
    static QCoreApplication *app = new QCoreApplication(*argc, *argv);
    (void)app;
}

FuzzConsole::FuzzConsole() : m_views(std::make_unique<Views>())
{
    m_channel = std::make_unique<CommandChannel>(state, m_views->host, Timeouts::fast());
    m_journal = std::make_unique<RouteJournal>(state);
    m_holds = std::make_unique<Holds>();
    m_commits = std::make_unique<CommitPath>(state, *m_holds, m_views->questions);
    m_routing = std::make_unique<Routing>(state, *m_channel, m_views->routing, *m_commits);
    m_grouping = std::make_unique<Grouping>(state, *m_channel, m_views->grouping);
    m_statusRead = std::make_unique<StatusRead>(state, *m_channel, m_views->status, m_views->status,
                                                *m_routing, *m_grouping, m_journal.get());
    m_presets = std::make_unique<Presets>(state, *m_channel, m_views->presets, *m_commits,
                                          *m_routing, *m_statusRead);
    m_undo = std::make_unique<UndoTake>(state, *m_channel, *m_commits, *m_routing, *m_journal);
    m_follower = std::make_unique<FollowSwitcher>(state, *m_channel, 1000, m_views->follow,
                                                  *m_routing, *m_statusRead, *m_journal);
    m_routing->join(*m_presets, *m_undo, *m_follower, *m_journal);
    reset();
}

FuzzConsole::~FuzzConsole() = default;

void FuzzConsole::reset()
{
    state = MatrixState{};
    InitMatrixState(state, {});
    state.Busy = 0;
    state.SuppressCommands = 0;
    m_views->grouping.group = 0;
    m_views->presets.save = true;
}

void FuzzConsole::exercise()
{
    // Numbers from 0 to 18 on buttons numbered 1 to 16: the handlers must refuse the rest.
    constexpr int kLast = kMaxPorts + 2;
    m_routing->RefreshRoutingPage();
    m_grouping->RefreshGroupingPage();
    for (int o = 0; o <= kLast; ++o) {
        m_routing->OutputButtonClick(o);
        for (int i = 0; i <= kLast; i += 3)
            m_routing->InputButtonClick(i);
        m_routing->ReclockerCheckBoxClick(o);
    }
    m_routing->TakeButtonClick();
    m_routing->CancelTakeButtonClick();

    for (int g = -1; g <= kGroupCount; ++g) {
        m_views->grouping.selectGroup(g);
        m_grouping->GroupingRadioGroupClick();
        for (int n = 0; n <= kLast; n += 2) {
            m_grouping->GroupOutputButtonClick(n);
            m_grouping->GroupInputButtonClick(n + 1);
        }
        m_grouping->ShowGroup(g);
        m_grouping->UpdateGroupExistBoxes();
    }
    m_grouping->GroupingRemoveButtonClick();

    for (int p = 0; p <= kPresetCount + 1; ++p) {
        m_presets->PresetsRecallButtonClick();
        m_presets->PresetButtonClick(p);
        m_routing->TakeButtonClick();
        m_presets->PresetsRecallButtonClick();
        m_presets->PresetButtonClick(p);
        m_presets->PresetRecallCancelButtonClick();
        m_presets->RecallPreset(p - 1, false);
    }
    m_presets->PresetsSaveButtonClick();
    m_presets->PresetButtonClick(3);
    m_grouping->GroupingRemoveAllButtonClick();
    m_routing->ClearAllRoutingButtonClick();
}

} // namespace kv::fuzz
