// Start-up and shutdown of the main window: the connection question and what each answer
// leads to, the exit confirmation, the About box, and the general error box.

#include "ConsoleFixture.h"
#include "EmuProcess.h"
#include "LinkEnv.h"
#include "ScriptedDialogs.h"
#include "Texts.h"

#include "app/AboutBox.h"
#include "app/GuardedApplication.h"
#include "app/MatrixForm.h"
#include "link/CommandChannel.h"
#include "link/LinkTransport.h"
#include "link/SerialLink.h"
#include "ui/AboutPage.h"
#include "ui/PresetPanel.h"
#include "ui/SetupPage.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using namespace kv;
using namespace kv::test;

namespace {

class Thrower : public QObject {
public:
    int handled = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        throw std::runtime_error("Disk on fire");
    }
};

// A part of a window made here, by its objectName.
template <class T> T *Part(TMatrixForm &form, const char *name)
{
    return form.findChild<T *>(QString::fromLatin1(name));
}

} // namespace

class tst_StartUp : public QObject {
    Q_OBJECT

private slots:
    void init() { SetComPorts({}); }

    void answeredNo_data();
    void answeredNo();
    void answeredYes_data();
    void answeredYes();
    void windowFrame();
    void menusLeaveTheStatusText();
    void exitConfirmation_data();
    void exitConfirmation();
    void aboutBox();
    void unhandledErrorShowsErrorBox();
    void screenshots();
};

void tst_StartUp::answeredNo_data()
{
    QTest::addColumn<QByteArray>("ipSave"); // empty: no file
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("address");
    QTest::newRow("first start") << QByteArray() << QStringList{texts::kConnectLater, texts::kIpOpenError} << "";
    QTest::newRow("address saved") << QByteArray("10.1.2.3", 9) << QStringList{texts::kConnectLater}
                                   << "10.1.2.3";
}

void tst_StartUp::answeredNo()
{
    QFETCH(QByteArray, ipSave);
    QFETCH(QStringList, after);
    QFETCH(QString, address);
    WorkDir dir;
    if (!ipSave.isEmpty())
        dir.writeIpSave(ipSave);
    ScriptedDialogs dialogs;
    TMatrixForm form(Timeouts::fast());
    form.show();

    QCOMPARE(dialogs.boxes.value(0).title, texts::kConnectTitle);
    QCOMPARE(dialogs.boxes.value(0).text, texts::kConnectQuestion);
    QCOMPARE(dialogs.boxes.value(0).buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(dialogs.texts().mid(1), after);
    QCOMPARE(dialogs.boxes.value(1).title, texts::kAppTitle);
    QCOMPARE(dialogs.boxes.value(1).icon, Dialogs::Icon::None);
    QCOMPARE(Part<SetupPage>(form, "SetupTabSheet")->IPAddrEdit->text(), address);
    // The working window, on the Video Switching page with the preset panel.
    QCOMPARE(form.core().state().SuppressCommands, quint8(1));
    QCOMPARE(Part<QTabWidget>(form, "MainPageControl")->currentWidget(),
             static_cast<QWidget *>(Part<SwitchingPage>(form, "ControlTabSheet")));
    QVERIFY(Part<PresetPanel>(form, "PresetsGroupBox")->isVisible());
    QVERIFY(Part<QTabWidget>(form, "MainPageControl")->isEnabled());
    QVERIFY(!form.core().channel().serialLinkLive());
}

void tst_StartUp::answeredYes_data()
{
    QTest::addColumn<bool>("switcher");
    QTest::newRow("switcher on COM1") << true;
    QTest::newRow("no switcher") << false;
}

void tst_StartUp::answeredYes()
{
    QFETCH(bool, switcher);
    WorkDir dir;
    QString why;
    EmuProcess *emu = switcher ? EmuProcess::Shared({}, &why) : nullptr;
    if (switcher) {
        QVERIFY2(emu, qPrintable(why));
        SetComPorts({emu->ptyPath()});
    }
    ScriptedDialogs dialogs;
    dialogs.answer(Dialogs::Answer::Yes);
    TMatrixForm form(Timeouts::fast());
    form.show();

    QCOMPARE(dialogs.boxes.value(0).title, texts::kConnectTitle);
    QVERIFY(Part<QTabWidget>(form, "MainPageControl")->isEnabled());
    if (switcher) {
        QCOMPARE(dialogs.boxes.size(), 1);
        QVERIFY(form.core().channel().serialLinkLive());
        QCOMPARE(form.core().state().SuppressCommands, quint8(0));
        QVERIFY(emu->receivedLines().contains("MINFOKV"));
        QCOMPARE(Part<AboutPage>(form, "AboutTabSheet")->ComNumberLabel->text(), QString("1"));
    } else {
        QCOMPARE(dialogs.texts().mid(1), QStringList({texts::kSearchFailed, texts::kIpOpenError}));
        QVERIFY(!form.core().channel().serialLinkLive());
        QCOMPARE(form.core().state().SuppressCommands, quint8(1));
        QCOMPARE(Part<AboutPage>(form, "AboutTabSheet")->ComNumberLabel->text(), QString("None"));
    }
}

void tst_StartUp::windowFrame()
{
    WorkDir dir;
    ScriptedDialogs dialogs;
    TMatrixForm form(Timeouts::fast());
    QCOMPARE(form.windowTitle(), texts::kInitialCaption);
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    form.layout()->activate();
    const QRect client(form.centralWidget()->geometry().topLeft(),
                       Part<QStatusBar>(form, "MainStatusBar")->geometry().bottomRight());
    QCOMPARE(client.size(), QSize(735, 529));
    QCOMPARE(Part<QTabWidget>(form, "MainPageControl")->geometry(), QRect(0, 0, 734, 514));
    QCOMPARE(Part<PresetPanel>(form, "PresetsGroupBox")->geometry(), QRect(584, 27, 145, 430));
    QCOMPARE(Part<QStatusBar>(form, "MainStatusBar")->size(), QSize(735, 19));
    const QStringList pages{"Video Switching", "Labeling", "Grouping",
                            "Sequencing",      "Setup",    "About"};
    QCOMPARE(Part<QTabWidget>(form, "MainPageControl")->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(Part<QTabWidget>(form, "MainPageControl")->tabText(i), pages.at(i));
    QCOMPARE(Part<AboutPage>(form, "AboutTabSheet")->Version1Label->text(), QString("1.01"));
    QCOMPARE(Part<AboutPage>(form, "AboutTabSheet")->FirmwareVersionLabel->text(), QString("N/A"));
    // Nothing is asked before the window shows, and the watchdog is off: no time-out box.
    QTest::qWait(Timeouts::fast().WatchdogMs + 100);
    QVERIFY(dialogs.boxes.isEmpty());
}

void tst_StartUp::menusLeaveTheStatusText()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    f.form().show(); // its start-up question is answered No by the scripted dialogs
    QVERIFY(QTest::qWaitForWindowExposed(&f.form()));
    SetComPorts({f.emu().ptyPath()});
    QCOMPARE(f.form().core().serialLink().SearchComPorts(0), 1);
    const QString text = texts::Established(1);
    QStatusBar *status = f.find<QStatusBar>("MainStatusBar");
    QCOMPARE(status->currentMessage(), text);

    // Over every menu title, then down every item of the two menus and out again.
    QMenuBar *bar = f.form().menuBar();
    for (QAction *title : bar->actions()) {
        QTest::mouseMove(bar, bar->actionGeometry(title).center());
        QCOMPARE(status->currentMessage(), text);
    }
    for (QMenu *menu : {f.form().menu().File1, f.form().menu().Search1}) {
        const QPoint title = bar->actionGeometry(menu->menuAction()).center();
        QTest::mouseClick(bar, Qt::LeftButton, {}, title);
        QTRY_VERIFY(menu->isVisible());
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator())
                QTest::mouseMove(menu, menu->actionGeometry(item).center());
            QCOMPARE(status->currentMessage(), text);
        }
        QTest::mouseMove(bar, title);
        QTest::keyClick(menu, Qt::Key_Escape);
        QTRY_VERIFY(!menu->isVisible());
        QCOMPARE(status->currentMessage(), text);
    }
    QTest::mouseMove(f.find<QTabWidget>("MainPageControl"));
    QCOMPARE(status->currentMessage(), text);
}

void tst_StartUp::exitConfirmation_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Exit, No") << true << false;
    QTest::newRow("Exit, Yes") << true << true;
    QTest::newRow("window closed, Yes") << false << true;
}

void tst_StartUp::exitConfirmation()
{
    QFETCH(bool, fromMenu);
    QFETCH(bool, yes);
    WorkDir dir;
    ConsoleFixture f;
    EmuProcess::Options o;
    o.tcp = true;
    QVERIFY2(f.start(o), qPrintable(f.error()));
    QVERIFY2(f.connectTcp(), qPrintable(f.error()));
    QTcpSocket *socket = LinkTransport(f.form().core().channel()).socket();
    QCOMPARE(socket->state(), QAbstractSocket::ConnectedState);

    f.dialogs.answer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    bool closed = false;
    const QMetaObject::Connection watch =
        QObject::connect(socket, &QTcpSocket::disconnected, &f.form(), [&] {
            // Closed while the confirmation is still the last box: before the program ends.
            closed = f.dialogs.boxes.size() == 1;
        });
    // The fixture's own end closes the socket too, after closed is gone.
    auto unwatch = qScopeGuard([&] { QObject::disconnect(watch); });
    if (fromMenu)
        QVERIFY(f.click("Exit1"));
    else
        f.form().close();

    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes.at(0).title, texts::kExitTitle);
    QCOMPARE(f.dialogs.boxes.at(0).text,
             QString("Are you sure you want to exit this application?"));
    QCOMPARE(f.dialogs.boxes.at(0).buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(closed, yes);
    QCOMPARE(socket->state(),
             yes ? QAbstractSocket::UnconnectedState : QAbstractSocket::ConnectedState);
    QCOMPARE(f.state().EthernetConnected, quint8(yes ? 0 : 1));
}

void tst_StartUp::aboutBox()
{
    WorkDir dir;
    ConsoleFixture f;
    QString title, product, version, note;
    int productSize = 0;
    bool hasIcon = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<AboutBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        product = box->ProductLabel->text();
        productSize = box->ProductLabel->font().pointSize();
        version = box->VersionLabel->text();
        note = box->NoteLabel->text();
        hasIcon = !box->IconLabel->pixmap().isNull();
        box->accept();
    });
    poll.start(10);
    QVERIFY(f.click("About1"));
    poll.stop();
    QCOMPARE(title, QString("About KV Control SDI"));
    QCOMPARE(product, QString("Kestavion Control SDI"));
    QCOMPARE(productSize, 19);
    QCOMPARE(version, QString("Version 1.01"));
    QCOMPARE(note, QString("Minimum resolution required is 1024x768."));
    QVERIFY(hasIcon);
}

void tst_StartUp::unhandledErrorShowsErrorBox()
{
    QVERIFY(qobject_cast<GuardedApplication *>(QCoreApplication::instance()));
    ScriptedDialogs dialogs;
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTRY_COMPARE(thrower.handled, 2); // the event loop went on after the first
    QCOMPARE(dialogs.boxes.size(), 2);
    QCOMPARE(dialogs.boxes.at(0).title, texts::kAppTitle);
    QCOMPARE(dialogs.boxes.at(0).text, QString("Disk on fire"));
    QCOMPARE(dialogs.boxes.at(0).icon, Dialogs::Icon::Stop);
    QCOMPARE(dialogs.boxes.at(0).buttons, Dialogs::Buttons::Ok);
}

// Pictures of the Setup and About pages of a connected console, for the documentation:
// KV_SCREENSHOT_DIR=docs ctest -R tst_startup
void tst_StartUp::screenshots()
{
    const QString out = qEnvironmentVariable("KV_SCREENSHOT_DIR");
    if (out.isEmpty())
        QSKIP("KV_SCREENSHOT_DIR is not set");
    WorkDir dir;
    QString why;
    EmuProcess *emu = EmuProcess::Shared({}, &why);
    QVERIFY2(emu, qPrintable(why));
    SetComPorts({emu->ptyPath()});
    ScriptedDialogs dialogs;
    dialogs.answer(Dialogs::Answer::Yes);
    TMatrixForm form;
    form.show();
    QVERIFY(form.core().channel().serialLinkLive());

    const std::pair<QWidget *, const char *> pages[] = {
        {Part<SetupPage>(form, "SetupTabSheet"), "setup-page.png"},
        {Part<AboutPage>(form, "AboutTabSheet"), "about-page.png"}};
    for (const auto &[page, name] : pages) {
        Part<QTabWidget>(form, "MainPageControl")->setCurrentWidget(page);
        QCoreApplication::processEvents();
        QVERIFY(form.grab().save(QDir(out).absoluteFilePath(QString::fromLatin1(name))));
    }
}

int main(int argc, char **argv)
{
    GuardedApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    tst_StartUp suite;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&suite, argc, argv);
}

#include "tst_startup.moc"
