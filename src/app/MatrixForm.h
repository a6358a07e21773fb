#pragma once
// The main window: a frame that owns the core and the pages, and wires them together. The
// behaviour lives in the rooms below it.

#include "app/ControlOptions.h"
#include "app/MainMenu.h"
#include "control/RouteJournal.h"
#include "link/Timeouts.h"
#include "state/MatrixState.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QStatusBar;
class QTabWidget;

namespace kv {

class AboutPage;
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
class Labels;
class LabelingPage;
class PresetPanel;
class ProtectedOutputs;
class HoldMarks;
class Holds;
class Core;
class CommitPath;
class WindowQuestions;
class FollowWindow;
class RemoteControl;
class RemoteServer;
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

    static QString initialCaption()
    {
        return QStringLiteral("Orvask Delvane, LLC :- KV Control SDI (8 x 8)");
    }

    Core &core() { return *m_core; }
    TInfoForm *infoForm() { return m_infoForm.get(); } // the progress window
    const MainMenu &menu() const { return m_menu; }

    // The remote-control server (listens only when asked) and its dialog, settings and note.
    RemoteServer *remoteServer() const { return m_remoteServer; }
    RemoteControl *remoteControl() const { return m_remoteControl; }
    // Following's marks on the route labels.
    const FollowMarks *followMarks() const { return m_followMarks; }

    // The start-up question answered in advance (the command line's --connect).
    void setStartUpChoice(const StartUpChoice &choice) { m_startUp = choice; }
    // Follow Switcher Changes for this run only, as --follow asks; the saved choice stays.
    void followForThisRun();
    // Nobody is at this console: every box answers itself after ms with its safe choice, says
    // so on standard error (and in the route log inside a routing action), and the remote
    // requests held behind it are refused.
    void runUnattended(int ms);

    WindowHost &host() { return *m_host; }
    const Timeouts &timeouts() const { return m_timeouts; }

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The window's own parts, which implement the views it lends the rooms below.
    friend class FollowWindow;
    friend class LabelFiles;
    friend class RoutingKeys;
    friend class WindowHost;

    // The pages, under their documented objectNames: a test finds them by name.
    QTabWidget *MainPageControl = nullptr;
    QStatusBar *MainStatusBar = nullptr;
    PresetPanel *PresetsGroupBox = nullptr;
    SwitchingPage *ControlTabSheet = nullptr;
    LabelingPage *LabelTabSheet = nullptr;
    GroupingPage *GroupingTabSheet = nullptr;
    SequencingPage *SequencingTabSheet = nullptr;
    SetupPage *SetupTabSheet = nullptr;
    AboutPage *AboutTabSheet = nullptr;

    RoutingKeys *m_routingKeys = nullptr; // number keys, Take, Cancel, presets on F1-F8
    HoldMarks *m_holdMarks = nullptr;
    RouteLogWindow *m_routeLogWindow = nullptr; // made when first opened
    RemoteServer *m_remoteServer = nullptr;
    RemoteControl *m_remoteControl = nullptr;
    // Following the switcher, with its marks on the route labels and its status-bar lamp.
    FollowMarks *m_followMarks = nullptr;
    FollowLight *m_followLight = nullptr;

    void MainPageControlChange();
    // Routes, labels or locks changed, whatever changed them: the remote clients are told.
    void tellRemoteClients();

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
    void wireRemote();
    void wireFollow();
    void wireHolds();
    void openRouteLog();
    void connectAtStartUp();
    void FormShow();
    bool FormCloseQuery();

    // An operator action that arrives while an exchange with the switcher is in progress
    // is refused: it sends nothing and changes nothing, as the Busy guard does.
    bool refused() const;
    template <class... Args, class F> auto gated(F f)
    {
        return gatedAs<Args...>(operatorOrigin<Args...>, f);
    }
    // As gated, under the origin the action names (a preset, a configuration file).
    template <class... Args, class O, class F> auto gatedAs(O origin, F f)
    {
        return [this, origin, f](Args... args) {
            if (!refused())
                actAs(origin(args...), [&] { f(args...); });
        };
    }
    template <class... Args> static QString operatorOrigin(Args...)
    {
        return QStringLiteral("operator");
    }
    // An action already let through (the routing keys check refused() themselves), entering
    // the core as every front end does.
    void actAs(const QString &origin, const std::function<void()> &f);
    void actAsOperator(const std::function<void()> &f);
    StartUpChoice m_startUp;

    class KeyTarget;
    std::unique_ptr<KeyTarget> m_keyTarget;
    bool m_shown = false;
    int m_shownPage = 0;

    Timeouts m_timeouts;
    Core *m_core = nullptr;
    MainMenu m_menu;
    std::unique_ptr<WindowHost> m_host;
    std::unique_ptr<TInfoForm> m_infoForm;
    std::unique_ptr<WindowQuestions> m_questions;
    std::unique_ptr<FollowWindow> m_followWindow;
};

} // namespace kv

using kv::TMatrixForm;
