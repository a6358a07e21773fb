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

} // namespace

struct FuzzConsole::Views {
    NullHost host;
    NullRouting routing;
    NullGrouping grouping;
    NullPresets presets;
};

void InitQt(int *argc, char ***argv)
{
    static QCoreApplication *app = new QCoreApplication(*argc, *argv);
    (void)app;
}

FuzzConsole::FuzzConsole() : m_views(std::make_unique<Views>())
{
    m_channel = std::make_unique<CommandChannel>(state, m_views->host, Timeouts::fast());
    m_routing = std::make_unique<Routing>(state, *m_channel, m_views->routing);
    m_grouping = std::make_unique<Grouping>(state, *m_channel, m_views->grouping);
    m_presets = std::make_unique<Presets>(state, *m_channel, m_views->presets);
    m_presets->hooks.TakeRoutes = [this] { m_routing->TakeRoutes(); };
    m_presets->hooks.CommitTemporaryRoutes = [this] { m_routing->CommitTemporaryRoutes(); };
    m_presets->hooks.HighlightRoutedInput = [this](int o) { m_routing->HighlightRoutedInput(o); };
    m_presets->hooks.RefreshAllPages = [this] {
        m_routing->RefreshRoutingPage();
        m_grouping->RefreshGroupingPage();
    };
    m_routing->onPreviewConfirm = [this] { m_presets->PresetRecallConfirmButtonClick(); };
    m_routing->onPreviewCancel = [this] { m_presets->PresetRecallCancelButtonClick(); };
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
