#pragma once
// The main window: a frame that owns the one MatrixState, the command channel and the pages,
// and wires them together. The behaviour lives in the rooms below it.

#include "app/MainMenu.h"
#include "control/RouteJournal.h"
#include "state/MatrixState.h"
#include "link/Timeouts.h"

#include <QMainWindow>
#include <memory>

class QStatusBar;
class QTabWidget;

namespace kv {

class AboutPage;
class CommandChannel;
class ConfigActions;
class EthernetLink;
class FollowLight;
class FollowMarks;
class FollowSwitcher;
class Grouping;
class Presets;
class Routing;
class RoutingKeys;
class Sequencer;
class SerialLink;
class StatusRead;
class SystemCommands;
class GroupingPage;
class LabelingPage;
class PresetPanel;
class ProtectedOutputs;
class ProtectMarks;
class RouteLogWindow;
class UndoTake;
class SequencingPage;
class SetupPage;
class SwitchingPage;
class TInfoForm;
class WindowHost;

class TMatrixForm : public QMainWindow {
    Q_OBJECT
public:
    TMatrixForm();
    explicit TMatrixForm(const Timeouts &timeouts);
    ~TMatrixForm() override;

    static QString initialCaption() { return QStringLiteral("Orvask Delvane, LLC :- KV Control SDI (8 x 8)"); }

    MatrixState &state() { return m_state; }
    CommandChannel &channel() { return *m_channel; }
    TInfoForm *infoForm() { return m_infoForm.get(); } // the progress window
    const MainMenu &menu() const { return m_menu; }

    QTabWidget *MainPageControl = nullptr;
    QStatusBar *MainStatusBar = nullptr;
    PresetPanel *PresetsGroupBox = nullptr;
    SwitchingPage *ControlTabSheet = nullptr;
    LabelingPage *LabelTabSheet = nullptr;
    GroupingPage *GroupingTabSheet = nullptr;
    SequencingPage *SequencingTabSheet = nullptr;
    SetupPage *SetupTabSheet = nullptr;
    AboutPage *AboutTabSheet = nullptr;

    void MainPageControlChange();

    // The features, each built and wired by its own wire*() in app/Wire*.cpp. They are
    // created in this order, so a feature may use the ones wired before it.
    Routing *routing = nullptr;
    StatusRead *statusRead = nullptr;     // ReadfromKestavions1Click, RefreshAllPages
    Grouping *grouping = nullptr;
    Presets *presets = nullptr;
    RoutingKeys *routingKeys = nullptr;   // number keys, Take, Cancel, presets on F1-F8
    Sequencer *sequencer = nullptr;
    SerialLink *serialLink = nullptr;
    EthernetLink *ethernetLink = nullptr;
    ConfigActions *configActions = nullptr; // labels into Config, file open and save
    SystemCommands *systemCommands = nullptr;
    // Every route change, made or seen; an operation opens a Scope with its origin.
    RouteJournal *journal = nullptr;
    UndoTake *undoTake = nullptr;
    ProtectedOutputs *protectedOutputs = nullptr;
    ProtectMarks *protectMarks = nullptr;
    RouteLogWindow *routeLogWindow = nullptr; // made when first opened
    // Following the switcher, with its marks on the route labels and its status-bar lamp.
    FollowSwitcher *follower = nullptr;
    FollowMarks *followMarks = nullptr;
    FollowLight *followLight = nullptr;
    // Follow Switcher Changes for this run only, as --follow asks; the saved choice stays.
    void followForThisRun();
    // "preset N" while a preview is pending, else "operator".
    QString previewOrigin() const;

    WindowHost &host() { return *m_host; }
    const Timeouts &timeouts() const { return m_timeouts; }

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildFrame();
    void wireRouting();
    void wireStatusRead();
    void wireGrouping();
    void wirePresets();
    void wireRoutingKeys();
    void wireSequencer();
    void wireLinks();
    void wireLabelsAndConfig();
    void wireSystemCommands();
    void wireRouteJournal();
    void wireFollow();
    void openRouteLog();
    void FormShow();
    bool FormCloseQuery();

    // An operator action that arrives while an exchange with the switcher is in progress
    // is refused: it sends nothing and changes nothing, as the Busy guard does.
    bool refused() const;
    // A poll's reply on its way is taken in first, so an action starts from what it told.
    void settlePoll();
    template <class... Args, class F> auto gated(F f)
    {
        return [this, f](Args... args) {
            if (refused())
                return;
            settlePoll();
            const HandlerRunning running(m_handlerDepth);
            const RouteJournal::Scope scope(journal, QStringLiteral("operator"));
            f(args...);
        };
    }
    struct HandlerRunning {
        explicit HandlerRunning(int &depth) : m_depth(depth) { ++m_depth; }
        ~HandlerRunning() { --m_depth; }
        int &m_depth;
    };
    // Operator handlers under way; a poll waits until none is (one may be asking a question).
    int m_handlerDepth = 0;

    // Page resets inside the start-up values; filled by the wire functions.
    InitHooks m_initHooks;
    bool m_shown = false;
    int m_shownPage = 0;

    MatrixState m_state{};
    Timeouts m_timeouts;
    MainMenu m_menu;
    std::unique_ptr<WindowHost> m_host;
    CommandChannel *m_channel = nullptr;
    std::unique_ptr<TInfoForm> m_infoForm;
};

} // namespace kv

using kv::TMatrixForm;
