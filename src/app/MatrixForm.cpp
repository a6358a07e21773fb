#include "app/MatrixForm.h"

#include "app/FollowWindow.h"
#include "app/InfoForm.h"
#include "app/KeyTarget.h"
#include "app/RemoteControl.h"
#include "app/WindowHost.h"
#include "app/WindowQuestions.h"
#include "control/CommitPath.h"
#include "control/Core.h"
#include "control/Holds.h"
#include "control/Labels.h"
#include "control/ProtectedOutputs.h"
#include "control/Routing.h"
#include "control/SystemCommands.h"
#include "link/CommandChannel.h"
#include "remote/RemoteServer.h"
#include "ui/AboutPage.h"
#include "ui/GroupingPage.h"
#include "ui/LabelingPage.h"
#include "ui/PresetPanel.h"
#include "ui/SequencingPage.h"
#include "ui/SetupPage.h"
#include "ui/SwitchingPage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

namespace kv {

namespace {
constexpr int kClientWidth = 735;
constexpr int kClientHeight = 529;
constexpr int kStatusBarHeight = 19;
// The page area reaches under the status bar; the bar hides its last few rows.
constexpr int kPagesWidth = 734;
constexpr int kPagesHeight = 514;
} // namespace

TMatrixForm::TMatrixForm() : TMatrixForm(Timeouts{}) {}

TMatrixForm::TMatrixForm(const Timeouts &timeouts) : m_timeouts(timeouts)
{
    setObjectName(QStringLiteral("MatrixForm"));
    buildFrame();
    m_infoForm = std::make_unique<TInfoForm>(this);
    m_host = std::make_unique<WindowHost>(*this, *m_infoForm);
    m_questions = std::make_unique<WindowQuestions>(this);
    m_followWindow = std::make_unique<FollowWindow>(*this);
    m_core = new Core({*m_host, *m_host, *m_host, *m_host, *m_host, *m_host, *m_host,
                       *ControlTabSheet, *GroupingTabSheet, *PresetsGroupBox, *SequencingTabSheet,
                       *m_followWindow, *m_questions},
                      m_timeouts, this);

    wireRouting();
    wireGrouping();
    wireStatusRead();
    wirePresets();
    wireRoutingKeys();
    wireSequencer();
    wireLinks();
    wireLabelsAndConfig();
    wireSystemCommands();
    wireRouteJournal();
    wireRemote();
    wireFollow();
    wireHolds();

    m_core->initState();
    MainPageControl->setCurrentWidget(ControlTabSheet);
    m_shownPage = MainPageControl->currentIndex();

    connect(MainPageControl, &QTabWidget::currentChanged, this,
            &TMatrixForm::MainPageControlChange);
}

TMatrixForm::~TMatrixForm()
{
    // The server's clients go before the console they are served from.
    delete m_remoteControl;
    m_remoteControl = nullptr;
    m_remoteServer = nullptr;
}

void TMatrixForm::buildFrame()
{
    setWindowTitle(initialCaption());
    // Fixed size, minimise but no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);

    m_menu = MainMenu::build(this);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(central);

    MainPageControl = new QTabWidget(central);
    MainPageControl->setObjectName(QStringLiteral("MainPageControl"));
    MainPageControl->setGeometry(0, 0, kPagesWidth, kPagesHeight);
    MainPageControl->tabBar()->setFocusPolicy(Qt::NoFocus);

    ControlTabSheet = new SwitchingPage;
    LabelTabSheet = new LabelingPage;
    GroupingTabSheet = new GroupingPage;
    SequencingTabSheet = new SequencingPage;
    SetupTabSheet = new SetupPage;
    AboutTabSheet = new AboutPage;
    MainPageControl->addTab(ControlTabSheet, QStringLiteral("Video Switching"));
    MainPageControl->addTab(LabelTabSheet, QStringLiteral("Labeling"));
    MainPageControl->addTab(GroupingTabSheet, QStringLiteral("Grouping"));
    MainPageControl->addTab(SequencingTabSheet, QStringLiteral("Sequencing"));
    MainPageControl->addTab(SetupTabSheet, QStringLiteral("Setup"));
    MainPageControl->addTab(AboutTabSheet, QStringLiteral("About"));

    // The preset panel floats over the right-hand part of the page area.
    PresetsGroupBox = new PresetPanel(central);
    PresetsGroupBox->setGeometry(584, 27, 145, 430);
    PresetsGroupBox->raise();

    MainStatusBar = new QStatusBar(this);
    MainStatusBar->setObjectName(QStringLiteral("MainStatusBar"));
    MainStatusBar->setSizeGripEnabled(false);
    MainStatusBar->setFixedHeight(kStatusBarHeight);
    setStatusBar(MainStatusBar);

    central->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    adjustSize();
    setFixedSize(sizeHint());

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool TMatrixForm::refused() const { return m_core->gateBusy(); }

void TMatrixForm::actAs(const QString &origin, const std::function<void()> &f)
{
    m_core->act(origin, f);
}

void TMatrixForm::actAsOperator(const std::function<void()> &f)
{
    actAs(QStringLiteral("operator"), f);
}

void TMatrixForm::MainPageControlChange()
{
    if (refused()) {
        // Entering the Video Switching page withdraws pending routes: not inside an exchange.
        QSignalBlocker block(MainPageControl);
        MainPageControl->setCurrentIndex(m_shownPage);
        return;
    }
    m_shownPage = MainPageControl->currentIndex();
    QWidget *page = MainPageControl->currentWidget();
    if (page == ControlTabSheet) {
        PresetsGroupBox->setVisible(true);
        // Pending temporary routes are withdrawn when the operator comes back here; a
        // pending preset preview goes first, so it never outlives the routes it described.
        if (&m_core->routing())
            m_core->act(QStringLiteral("operator"), [this] {
                m_core->routing().WithdrawPreview();
                m_core->routing().CancelTake();
            });
        return;
    }
    PresetsGroupBox->setVisible(page == SequencingTabSheet);
}

bool TMatrixForm::event(QEvent *event)
{
    // The status bar holds the console's own texts: the menus' (empty) status tips, sent
    // on every hover, would wipe them.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void TMatrixForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TMatrixForm::closeEvent(QCloseEvent *event)
{
    // The exchange's wait would go on inside a window that is gone.
    if (!refused() && FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

} // namespace kv
