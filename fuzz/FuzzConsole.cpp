#include "FuzzConsole.h"

#include "control/ConfigActions.h"
#include "control/FollowSwitcher.h"
#include "control/Labels.h"
#include "control/Presets.h"
#include "control/Sequencer.h"
#include "control/StatusRead.h"
#include "control/SystemCommands.h"
#include "link/EthernetLink.h"
#include "link/LinkHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <unistd.h>

namespace kv::fuzz {

namespace {

class NullHost : public LinkHost, public EthernetLinkHost {
public:
    void setItemEnabled(Item, bool) override {}
    void setComItemChecked(int, bool) override {}
    void setComNumber(const QString &, const QString &) override {}
    void showProgress(const QString &) override {}
    void hideProgress() override {}
    void ReadfromKestavions1Click() override {}
    void LoadIpAddress() override {}
    QString ipAddressText() const override { return {}; }
    void setIpAddressText(const QString &) override {}
    int serialModeIndex() const override { return 0; }
    void setSerialModeIndex(int) override {}
    bool writeIpSaveFile(const QString &) override { return false; }
    std::optional<QString> readIpSaveFile() override { return std::nullopt; }
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

class NullSequencing : public SequencingView {
public:
    bool stepTicked(int) const override { return false; }
    QString presetText(int) const override { return {}; }
    QString delayText(int) const override { return {}; }
    void setStepEditsEnabled(int, bool) override {}
    void focusPresetEdit(int) override {}
    void focusDelayEdit(int) override {}
    void setStepControlsEnabled(bool) override {}
    void setLampLit(bool) override {}
    void paintStepLabel(int, Shade) override {}
    void showMessage(const QString &) override {}
};

// Labels, configuration files and system commands: nothing to show, no file chosen.
class NullOthers : public LabelView, public ConfigView, public SystemView {
public:
    QString labelText(LabelKind, int) const override { return {}; }
    void setLabelText(LabelKind, int, const QString &) override {}
    void showCaption(LabelKind, int, const QString &) override {}
    QString saveFileName() override { return {}; }
    QString openFileName() override { return {}; }
    void showMessage(const QString &) override {}
    bool showBusyCursor() override { return false; }
    void showArrowCursor() override {}
    bool askYesNo(const QString &, const QString &) override { return false; }
    void showProgressBeforeBlocking(const QString &) override {}
    void hideProgress() override {}
    void holdMenus(bool) override {}
    QString ipAddressText() const override { return {}; }
    void rereadSystemStatus() override {}
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
    NullSequencing sequencing;
    NullOthers others;
    NoAnswers questions;
};

void InitQt(int *argc, char ***argv)
{
    static QCoreApplication *app = new QCoreApplication(*argc, *argv);
    (void)app;
    // The core reads its protects from the settings: a private folder keeps the operator's
    // out of the run, and the run out of them.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QDir::tempPath() + QStringLiteral("/kv-fuzz-settings-%1").arg(getpid()));
}

FuzzConsole::FuzzConsole() : m_views(std::make_unique<Views>())
{
    Views &v = *m_views;
    m_core = std::make_unique<Core>(CoreViews{v.host, v.host, v.status, v.status, v.others,
                                              v.others, v.others, v.routing, v.grouping,
                                              v.presets, v.sequencing, v.follow, v.questions},
                                    Timeouts::fast());
    reset();
}

FuzzConsole::~FuzzConsole() = default;

void FuzzConsole::reset()
{
    MatrixState &s = state();
    s = MatrixState{};
    InitMatrixState(s, {});
    s.Busy = 0;
    s.SuppressCommands = 0;
    m_views->grouping.group = 0;
    m_views->presets.save = true;
}

void FuzzConsole::exercise()
{
    // Numbers from 0 to 18 on buttons numbered 1 to 16: the handlers must refuse the rest.
    constexpr int kLast = kMaxPorts + 2;
    routing().RefreshRoutingPage();
    grouping().RefreshGroupingPage();
    for (int o = 0; o <= kLast; ++o) {
        routing().OutputButtonClick(o);
        for (int i = 0; i <= kLast; i += 3)
            routing().InputButtonClick(i);
        routing().ReclockerCheckBoxClick(o);
    }
    routing().TakeButtonClick();
    routing().CancelTakeButtonClick();

    for (int g = -1; g <= kGroupCount; ++g) {
        m_views->grouping.selectGroup(g);
        grouping().GroupingRadioGroupClick();
        for (int n = 0; n <= kLast; n += 2) {
            grouping().GroupOutputButtonClick(n);
            grouping().GroupInputButtonClick(n + 1);
        }
        grouping().ShowGroup(g);
        grouping().UpdateGroupExistBoxes();
    }
    grouping().GroupingRemoveButtonClick();

    for (int p = 0; p <= kPresetCount + 1; ++p) {
        m_core->presets().PresetsRecallButtonClick();
        m_core->presets().PresetButtonClick(p);
        routing().TakeButtonClick();
        m_core->presets().PresetsRecallButtonClick();
        m_core->presets().PresetButtonClick(p);
        m_core->presets().PresetRecallCancelButtonClick();
        m_core->presets().RecallPreset(p - 1, false);
    }
    m_core->presets().PresetsSaveButtonClick();
    m_core->presets().PresetButtonClick(3);
    grouping().GroupingRemoveAllButtonClick();
    routing().ClearAllRoutingButtonClick();
}

} // namespace kv::fuzz
