// Setting the remote-control server up: the "Remote Control..." dialog and its remembered
// choices, the status bar's note, the command-line options, and the start-up question
// answered in advance for a console nobody sits at.

#include "ConsoleFixture.h"
#include "EmuProcess.h"
#include "HubClient.h"
#include "LinkEnv.h"
#include "RouteTestSteps.h"
#include "ScriptedDialogs.h"

#include "app/ControlOptions.h"
#include "app/RemoteControl.h"
#include "link/CommandChannel.h"
#include "remote/RemoteServer.h"
#include "ui/RemoteDialog.h"

#include <QCheckBox>
#include <QListWidget>
#include <QStatusBar>
#include <QCommandLineParser>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSpinBox>
#include <QTcpServer>
#include <QtTest>

using namespace kv;
using namespace kv::test;

Q_DECLARE_METATYPE(kv::StartUpChoice::Answer)

namespace {

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QLabel *StatusNote(TMatrixForm &form) { return form.findChild<QLabel *>("RemoteStatusLabel"); }

} // namespace

class tst_RemoteSetup : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        FreshRouteLogFolder();
        SetComPorts({});
    }
    void offUnlessAsked();
    void dialogSwitchesAndRemembers();
    void warningOffLoopback();
    void options_data();
    void options();
    void connectAtStartUp_data();
    void connectAtStartUp();
    void cannotServeAtStartUp_data();
    void cannotServeAtStartUp();
    void screenshot();
};

void tst_RemoteSetup::offUnlessAsked()
{
    ConsoleFixture f;
    QVERIFY(!f.form().remoteServer()->isListening());
    QVERIFY(StatusNote(f.form())->isHidden());
    // In the Tools menu, after the other items.
    auto *tools = f.find<QMenu>("Tools1");
    QVERIFY(tools);
    QCOMPARE(tools->actions().last()->objectName(), "RemoteControl1");
    QCOMPARE(tools->actions().last()->text(), "Remote Control...");
}

void tst_RemoteSetup::dialogSwitchesAndRemembers()
{
    const quint16 port = FreePort();
    {
        ConsoleFixture f;
        QVERIFY(f.click("RemoteControl1"));
        auto *dialog = f.find<RemoteDialog>("RemoteControlDialog");
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!f.isChecked("RemoteListenCheckBox"));
        QCOMPARE(f.text("RemoteBindEdit"), "127.0.0.1");
        QCOMPARE(f.find<QSpinBox>("RemotePortEdit")->value(), 9990);

        f.find<QCheckBox>("RemoteListenCheckBox")->setChecked(true);
        f.find<QSpinBox>("RemotePortEdit")->setValue(port);
        f.find<QCheckBox>("RemoteReadOnlyCheckBox")->setChecked(true);
        QVERIFY(f.click("RemoteOkButton"));
        QVERIFY(!dialog->isVisible());
        RemoteServer *server = f.form().remoteServer();
        QVERIFY(server->isListening());
        QCOMPARE(server->port(), port);
        QCOMPARE(server->address(), QHostAddress(QHostAddress::LocalHost));
        QVERIFY(server->readOnly());

        QLabel *note = StatusNote(f.form());
        QVERIFY(!note->isHidden());
        QCOMPARE(note->text(), QString("Remote 127.0.0.1:%1, 0 clients, read-only").arg(port));
        HubClient c;
        QVERIFY(c.connectTo(port));
        QCOMPARE(note->text(), QString("Remote 127.0.0.1:%1, 1 client, read-only").arg(port));
        QVERIFY(f.click("RemoteControl1"));
        QCOMPARE(f.text("RemoteStatusText"), QString("Listening on 127.0.0.1:%1; 1 client connected.").arg(port));
        QVERIFY(f.click("RemoteCancelButton"));
    }
    {
        // Remembered: the next console serves at once, as it was left.
        ConsoleFixture f;
        RemoteServer *server = f.form().remoteServer();
        QVERIFY(server->isListening());
        QCOMPARE(server->port(), port);
        QVERIFY(server->readOnly());
        // Switched off: the clients go, the note goes.
        HubClient c;
        QVERIFY(c.connectTo(port));
        QVERIFY(f.click("RemoteControl1"));
        QVERIFY(f.isChecked("RemoteListenCheckBox"));
        f.find<QCheckBox>("RemoteListenCheckBox")->setChecked(false);
        QVERIFY(f.click("RemoteOkButton"));
        QVERIFY(!server->isListening());
        QVERIFY(c.closedByServer());
        QVERIFY(StatusNote(f.form())->isHidden());
    }
    ConsoleFixture f;
    QVERIFY(!f.form().remoteServer()->isListening());
}

void tst_RemoteSetup::warningOffLoopback()
{
    ConsoleFixture f;
    QVERIFY(f.click("RemoteControl1"));
    auto *warning = f.find<QLabel>("RemoteWarningLabel");
    f.find<QCheckBox>("RemoteListenCheckBox")->setChecked(true);
    QVERIFY(warning->isHidden());
    f.find<QLineEdit>("RemoteBindEdit")->setText("0.0.0.0");
    QVERIFY(!warning->isHidden());
    QVERIFY(warning->text().contains("no password"));
    f.find<QLineEdit>("RemoteBindEdit")->setText("::1");
    QVERIFY(warning->isHidden());
}

void tst_RemoteSetup::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("serve");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("bind");
    QTest::addColumn<StartUpChoice::Answer>("answer");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("error");
    QTest::addColumn<bool>("unattended");

    using A = StartUpChoice::Answer;
    QTest::newRow("nothing") << QStringList{} << false << 9990 << "127.0.0.1" << A::Ask << "" << false << false;
    QTest::newRow("port") << QStringList{"--control-port", "9991"} << true << 9991 << "127.0.0.1" << A::Ask << "" << false << false;
    QTest::newRow("bind") << QStringList{"--control-bind", "0.0.0.0"} << true << 9990 << "0.0.0.0" << A::Ask << "" << false << false;
    QTest::newRow("bad port") << QStringList{"--control-port", "70000"} << false << 0 << "" << A::Ask << "" << true << false;
    QTest::newRow("bad bind") << QStringList{"--control-bind", "studio"} << false << 0 << "" << A::Ask << "" << true << false;
    QTest::newRow("serial") << QStringList{"--connect", "serial"} << false << 9990 << "127.0.0.1" << A::Serial << "" << false << true;
    QTest::newRow("none") << QStringList{"--connect=none"} << false << 9990 << "127.0.0.1" << A::None << "" << false << true;
    QTest::newRow("ethernet") << QStringList{"--connect", "ethernet=10.0.0.9"} << false << 9990 << "127.0.0.1"
                              << A::Ethernet << "10.0.0.9" << false << true;
    QTest::newRow("ethernet without address") << QStringList{"--connect", "ethernet="} << false << 0 << ""
                                              << A::Ask << "" << true << false;
    QTest::newRow("unattended") << QStringList{"--unattended"} << false << 9990 << "127.0.0.1" << A::Ask << "" << false << true;
    QTest::newRow("other") << QStringList{"--connect", "rs485"} << false << 0 << "" << A::Ask << "" << true << false;
}

void tst_RemoteSetup::options()
{
    QFETCH(QStringList, args);
    QFETCH(bool, serve);
    QFETCH(int, port);
    QFETCH(QString, bind);
    QFETCH(StartUpChoice::Answer, answer);
    QFETCH(QString, address);
    QFETCH(bool, error);
    QFETCH(bool, unattended);
    QCommandLineParser parser;
    ControlOptions::addTo(parser);
    QVERIFY(parser.parse(QStringList{"kvconsole"} + args));
    QString why;
    const ControlOptions o = ControlOptions::readFrom(parser, &why);
    QCOMPARE(!why.isEmpty(), error);
    if (error)
        return;
    QCOMPARE(o.serve, serve);
    QCOMPARE(int(o.port), port);
    QCOMPARE(o.bind.toString(), bind);
    QCOMPARE(o.startUp.answer, answer);
    QCOMPARE(o.startUp.address, address);
    QCOMPARE(o.unattended, unattended);
}

void tst_RemoteSetup::connectAtStartUp_data()
{
    QTest::addColumn<StartUpChoice::Answer>("answer");
    QTest::newRow("serial") << StartUpChoice::Answer::Serial;
    QTest::newRow("none") << StartUpChoice::Answer::None;
    QTest::newRow("ethernet") << StartUpChoice::Answer::Ethernet;
}

void tst_RemoteSetup::connectAtStartUp()
{
    QFETCH(StartUpChoice::Answer, answer);
    WorkDir dir;
    EmuProcess emu;
    QVERIFY2(emu.start(EmuProcess::Options().withTcp()), qPrintable(emu.errorString()));
    SetComPorts({emu.ptyPath()});
    qputenv("KV_TCP_PORT", QByteArray::number(emu.tcpPort()));
    ScriptedDialogs dialogs;
    TMatrixForm form(Timeouts::fast());
    form.setStartUpChoice({answer, "127.0.0.1"});
    form.show();
    qunsetenv("KV_TCP_PORT");

    // Nobody is asked anything, and the link is the one chosen.
    QCOMPARE(dialogs.texts(), QStringList{});
    QCOMPARE(form.core().channel().serialLinkLive(), answer == StartUpChoice::Answer::Serial);
    QCOMPARE(form.core().state().EthernetConnected,
             quint8(answer == StartUpChoice::Answer::Ethernet));
    QCOMPARE(emu.receivedLines().contains("MINFOKV"), answer != StartUpChoice::Answer::None);
    // Connecting keeps the address typed, as the operator's choice of "Ethernet" does.
    if (answer == StartUpChoice::Answer::Ethernet)
        QVERIFY(dir.ipSave().startsWith("127.0.0.1"));
}

void tst_RemoteSetup::cannotServeAtStartUp_data()
{
    QTest::addColumn<QString>("bind");
    QTest::newRow("port in use") << "127.0.0.1";
    QTest::newRow("address not on this machine") << "192.0.2.1";
}

// Someone at the console is told in the status bar and a box; a console started with
// --connect or --unattended, where nobody may be, ends with status 2. Either way one line on
// stderr.
void tst_RemoteSetup::cannotServeAtStartUp()
{
    QFETCH(QString, bind);
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(occupant.serverPort());
    const QString said = "Remote control cannot listen on " + bind + ":" + port + ": ";
    {
        ConsoleFixture f;
        QVERIFY(!f.form().remoteControl()->serveAtStartUp(QHostAddress(bind),
                                                          occupant.serverPort(), false));
        QCOMPARE(f.dialogs.texts().size(), 1);
        QVERIFY2(f.dialogs.texts().first().startsWith(said), qPrintable(f.dialogs.texts().first()));
        QCOMPARE(f.find<QStatusBar>("MainStatusBar")->currentMessage(), f.dialogs.texts().first());
        QVERIFY(!f.form().remoteServer()->isListening());
    }
    if (qEnvironmentVariableIsEmpty("KV_CONSOLE"))
        QSKIP("KV_CONSOLE does not name the kvconsole binary");
    // Nobody may be at a console started with --connect or --unattended.
    for (const QStringList &nobody : {QStringList{"--connect", "none"}, QStringList{"--unattended"}}) {
        QProcess console;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        console.setProcessEnvironment(env);
        console.start(qEnvironmentVariable("KV_CONSOLE"),
                      nobody + QStringList{"--control-bind", bind, "--control-port", port});
        QVERIFY(console.waitForFinished(20000));
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        QCOMPARE(console.exitCode(), 2);
        const QStringList lines = QString::fromUtf8(console.readAllStandardError()).split('\n').filter(said);
        QCOMPARE(lines.size(), 1);
    }
}

void tst_RemoteSetup::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    auto f = Connected("pty");
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    f->readAll();
    QVERIFY(Operate(*f, "o3 i2 o6 i4 T o1 i1"));
    QVERIFY(f->form().remoteServer()->listen(QHostAddress::LocalHost, 9990));
    HubClient panel, script;
    QVERIFY(panel.connectTo(9990));
    QVERIFY(script.connectTo(9990));
    panel.send("VIDEO OUTPUT LOCKS:\n2 O\n5 O\n\n");
    QCOMPARE(panel.next(), QByteArray("ACK\n\n"));
    f->form().show();
    QVERIFY(f->click("RemoteControl1"));
    auto *dialog = f->find<RemoteDialog>("RemoteControlDialog");
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    dialog->lockList()->setCurrentRow(0);
    QVERIFY2(dialog->grab().save(file), qPrintable(file));
    const QString bar = QFileInfo(file).dir().filePath("remote-status.png");
    QVERIFY(f->find<QStatusBar>("MainStatusBar")->grab().save(bar));
    // The locks on the Video Switching page: blue padlocks on outputs 3 and 6.
    const QString page = QFileInfo(file).dir().filePath("remote-locks.png");
    QVERIFY(f->form().grab().save(page));
    qInfo("Remote Control dialog: %s, status bar: %s, locks: %s", qPrintable(file), qPrintable(bar),
          qPrintable(page));
}

QTEST_MAIN(tst_RemoteSetup)
#include "tst_remote_setup.moc"
