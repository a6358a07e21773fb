// kvemu on the wire: its answers, the layout of its status blocks and the switcher state its
// commands build, checked through the status replies as the console would read them.
#include "EmuProcess.h"
#include "EmuChecks.h"
#include "EmuWire.h"

#include "EmulatorThread.h"

#include "state/MatrixState.h"

#include <QSerialPort>
#include <QtTest>

using namespace kv;
using namespace kv::test;

class TestEmulator : public QObject {
    Q_OBJECT

    EmuProcess m_emu;
    std::unique_ptr<EmuWire> m_tcp;

    std::unique_ptr<EmuWire> ptyWire() { return EmuWire::pty(m_emu.ptyPath()); }

private slots:
    void initTestCase();
    void init();
    void answers_data();
    void answers();
    void statusLayout_data();
    void statusLayout();
    void systemStatus();
    void transportsShareOneState();
    void logRecordsEveryLine();
    void controlChannel();
    void severalInstances();
    void sharedInstanceComesBackAsNew();
    void stopRemovesLink_data();
    void stopRemovesLink();
    void commandLine_data();
    void commandLine();
    void inProcess();
    void serialPortOnLink();
};

void TestEmulator::initTestCase()
{
    QVERIFY2(m_emu.start(EmuProcess::Options().withTcp()), qPrintable(m_emu.errorString()));
    QVERIFY(QFileInfo(m_emu.ptyPath()).isSymLink());
    QVERIFY(m_emu.tcpPort() != 0);
}

void TestEmulator::init()
{
    for (const char *c : {"reset", "model 11", "clear-faults", "clear-log"})
        QCOMPARE(m_emu.sendControl(c), QString("ok"));
    if (!m_tcp || !m_tcp->isOpen())
        m_tcp = EmuWire::tcp(m_emu.tcpPort());
    QVERIFY(m_tcp);
}

void TestEmulator::answers_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArrayList>("setup");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");
    struct Row {
        const char *name;
        int model;
        QByteArrayList setup;
        QByteArray line, answer;
    };
    const QList<Row> rows{
        {"empty line", 11, {}, "", ""},
        {"route", 11, {}, "RTEMP 1 4", "OK"},
        {"disconnect last output", 11, {}, "RTEMP 16 0", "OK"},
        {"output 17", 11, {}, "RTEMP 17 1", "ERR"},
        {"output 0", 11, {}, "RTEMP 0 1", "ERR"},
        {"input 17", 11, {}, "RTEMP 1 17", "ERR"},
        {"route missing input", 11, {}, "RTEMP 1", "ERR"},
        {"route extra argument", 11, {}, "RTEMP 1 2 3", "ERR"},
        {"take", 11, {"RTEMP 2 2"}, "TAKE 1", "OK"},
        {"cancel", 11, {"RTEMP 2 2"}, "TAKE 0", "OK"},
        {"take 2", 11, {}, "TAKE 2", "ERR"},
        {"take bare", 11, {}, "TAKE", "ERR"},
        {"clear", 11, {"RTEMP 1 1", "TAKE 1"}, "CLEAR", "OK"},
        {"clear with argument", 11, {}, "CLEAR 1", "ERR"},
        {"reclock", 11, {}, "RCLOCK 8 1", "OK"},
        {"reclock state 2", 11, {}, "RCLOCK 1 2", "ERR"},
        {"reclock output 17", 11, {}, "RCLOCK 17 0", "ERR"},
        {"group output", 11, {}, "GADD 1 3 101", "OK"},
        {"group input", 11, {"GADD 8 1 101"}, "GADD 8 101 6", "OK"},
        {"group 9", 11, {}, "GADD 9 1 101", "ERR"},
        {"group neither side", 11, {}, "GADD 1 101 101", "ERR"},
        {"group output 17", 11, {}, "GADD 1 17 101", "ERR"},
        {"group input without output", 11, {}, "GADD 1 101 5", "ERR"},
        {"ungroup output", 11, {"GADD 1 3 101", "GADD 1 4 101"}, "GDEL 1 3 101", "OK"},
        {"ungroup non-member", 11, {}, "GDEL 1 3 101", "ERR"},
        {"clear group", 11, {"GADD 5 1 101"}, "GCLEAR 5", "OK"},
        {"clear all groups", 11, {"GADD 5 1 101"}, "GCLEAR 201", "OK"},
        {"clear group 0", 11, {}, "GCLEAR 0", "ERR"},
        {"clear group 9", 11, {}, "GCLEAR 9", "ERR"},
        {"clear group 200", 11, {}, "GCLEAR 200", "ERR"},
        {"save preset 1", 11, {}, "PRST 1", "OK"},
        {"save preset 8", 11, {}, "PRST 8", "OK"},
        {"save preset 0", 11, {}, "PRST 0", "ERR"},
        {"save preset 9", 11, {}, "PRST 9", "ERR"},
        {"recall stored", 11, {"PRST 8"}, "RPRST 8 1", "OK"},
        {"recall empty", 11, {}, "RPRST 3 0", "ERR"},
        {"recall flag 2", 11, {"PRST 1"}, "RPRST 1 2", "ERR"},
        {"recall preset 9", 11, {}, "RPRST 9 0", "ERR"},
        {"lock", 11, {}, "FPLOCK 1", "OK"},
        {"lock 2", 11, {}, "FPLOCK 2", "ERR"},
        {"vi state", 11, {}, "VISTATE 1", "OK"},
        {"vi state negative", 11, {}, "VISTATE -1", "ERR"},
        {"system save", 11, {"FPLOCK 1"}, "UPSYS", "OK"},
        {"system save argument", 11, {"FPLOCK 1"}, "UPSYS 1", "ERR"},
        {"system recall", 11, {"FPLOCK 1"}, "RSYS", "OK"},
        {"reset", 11, {"FPLOCK 1"}, "RESETKV R", "OK"},
        {"factory reset", 11, {"RTEMP 1 1"}, "RESETKV F", "OK"},
        {"reset bare", 11, {"RTEMP 1 1"}, "RESETKV", "ERR"},
        {"reset X", 11, {"RTEMP 1 1"}, "RESETKV X", "ERR"},
        {"reset lower case", 11, {"RTEMP 1 1"}, "RESETKV f", "ERR"},
        {"ip", 11, {}, "IPCONFIG 192 168 0 10", "OK"},
        {"ip 256", 11, {}, "IPCONFIG 256 0 0 1", "ERR"},
        {"ip three octets", 11, {}, "IPCONFIG 1 2 3", "ERR"},
        {"ip five octets", 11, {}, "IPCONFIG 1 2 3 4 5", "ERR"},
        {"lower-case keyword", 11, {}, "rtemp 1 2", "ERR"},
        {"doubled blank", 11, {}, "RTEMP  1 2", "ERR"},
        {"leading blank", 11, {}, " RTEMP 1 2", "ERR"},
        {"trailing blank", 11, {}, "RTEMP 1 2 ", "ERR"},
        {"letter argument", 11, {}, "RTEMP 1 x", "ERR"},
        {"signed argument", 11, {}, "RTEMP 1 +2", "ERR"},
        {"unknown keyword", 11, {}, "HELLO", "ERR"},
        {"preset query 8", 11, {}, "PINFOKV 8", "ERR"},
        {"preset query bare", 11, {}, "PINFOKV", "ERR"},
        {"status query argument", 11, {}, "MINFOKV 1", "ERR"},
        {"preset group query -1", 11, {}, "PGINFOKV -1", "ERR"},
        {"8x8 output 9", 10, {}, "RTEMP 9 1", "ERR"},
        {"8x8 input 9", 10, {}, "RTEMP 1 9", "ERR"},
        {"8x8 top route", 10, {}, "RTEMP 8 8", "OK"},
        {"8x8 reclock 9", 10, {}, "RCLOCK 9 1", "ERR"},
        {"8x8 group output 9", 10, {}, "GADD 1 9 101", "ERR"},
        {"8x8 group input 9", 10, {"GADD 1 1 101"}, "GADD 1 101 9", "ERR"},
    };
    for (bool pty : {false, true})
        for (const Row &r : rows)
            QTest::addRow("%s %s", pty ? "pty" : "tcp", r.name)
                << pty << r.model << r.setup << r.line << r.answer;
}

void TestEmulator::answers()
{
    QFETCH(bool, pty);
    QFETCH(int, model);
    QFETCH(QByteArrayList, setup);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    QCOMPARE(m_emu.sendControl(QString("model %1").arg(model)), QString("ok"));
    std::unique_ptr<EmuWire> serial = pty ? ptyWire() : nullptr;
    EmuWire *wire = pty ? serial.get() : m_tcp.get();
    QVERIFY(wire);
    for (const QByteArray &l : setup)
        QCOMPARE(AnswerWord(wire->exchange(l)), QByteArray("OK"));

    const QString before = m_emu.state();
    const QByteArray got = wire->exchange(line);
    QVERIFY2(got.endsWith('#'), got.toHex(' ').constData());
    QVERIFY2(got.size() >= 1 && got.size() <= 20, "an Ethernet acknowledgement is 1-20 bytes");
    QCOMPARE(AnswerWord(got), answer);
    if (answer == "ERR")
        QCOMPARE(m_emu.state(), before); // a refused line changes nothing
    QCOMPARE(m_emu.receivedLines().last(), QString::fromLatin1(line));
}

void TestEmulator::statusLayout_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<int>("size");
    for (bool pty : {false, true}) {
        for (int model : {11, 10}) {
            const int outs = model == 10 ? 8 : 16;
            const QList<QPair<QByteArray, int>> queries{
                {"MINFOKV", 20},   {"OINFOKV", 2 * outs}, {"OPINFOKV", outs},
                {"GINFOKV", 170},  {"PINFOKV 0", 36},     {"PINFOKV 7", 36},
                {"PGINFOKV 0", 170}, {"PGINFOKV 7", 170},
            };
            for (const auto &[query, size] : queries)
                QTest::addRow("%s %dx%d %s", pty ? "pty" : "tcp", outs, outs, query.constData())
                    << pty << model << query << size;
        }
    }
}

void TestEmulator::statusLayout()
{
    QFETCH(bool, pty);
    QFETCH(int, model);
    QFETCH(QByteArray, query);
    QFETCH(int, size);
    QCOMPARE(m_emu.sendControl(QString("model %1").arg(model)), QString("ok"));
    std::unique_ptr<EmuWire> serial = pty ? ptyWire() : nullptr;
    EmuWire *wire = pty ? serial.get() : m_tcp.get();
    QVERIFY(wire);

    const QByteArray got = wire->exchange(query, StatusReplyLength(size));
    QCOMPARE(got.size(), StatusReplyLength(size));
    QCOMPARE(got.left(4), QByteArray("\r\n\x01\x00", 4)); // prefix, marker, skip byte
    QVERIFY(got.endsWith("\r\n#"));
    // The payload never carries a "\r\n#" that would end a serial reply early.
    QVERIFY(!got.left(got.size() - 1).contains("\r\n#"));
    // Nothing follows the reply: the next exchange gets its own answer only.
    QCOMPARE(wire->exchange(""), QByteArray("\r\n#"));
}

void TestEmulator::systemStatus()
{
    for (int model : {10, 11, 12, 20}) {
        QCOMPARE(m_emu.sendControl(QString("model %1").arg(model)), QString("ok"));
        const SystemInfo info = StatusBlock<SystemInfo>(*m_tcp, "MINFOKV");
        QCOMPARE(int(info.ModelCode), model);
        QCOMPARE(QByteArray(info.FirmwareVersion, 6), QByteArray("2.05\0\0", 6));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(info.IPAddress), 4),
                 QByteArray("\xc0\xa8\x01\xc8", 4)); // 192.168.1.200
        QCOMPARE(int(info.FrontPanelLock) + int(info.VIState) + int(info.ReclockMask), 0);
    }
    // The reclock mask covers the model's outputs only.
    QCOMPARE(m_emu.sendControl("model 11"), QString("ok"));
    QCOMPARE(AnswerWords(*m_tcp, {"RCLOCK 1 1", "RCLOCK 16 1", "RCLOCK 3 1", "RCLOCK 3 0"}),
             QByteArrayList({"OK", "OK", "OK", "OK"}));
    QCOMPARE(int(StatusBlock<SystemInfo>(*m_tcp, "MINFOKV").ReclockMask), 0x8001);
    QCOMPARE(m_emu.sendControl("model 10"), QString("ok"));
    QCOMPARE(int(StatusBlock<SystemInfo>(*m_tcp, "MINFOKV").ReclockMask), 0x0001);

    QCOMPARE(AnswerWords(*m_tcp, {"IPCONFIG 10 1 2 35"}), QByteArrayList({"OK"}));
    const SystemInfo info = StatusBlock<SystemInfo>(*m_tcp, "MINFOKV");
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(info.IPAddress), 4),
             QByteArray("\x0a\x01\x02\x23", 4));
}

void TestEmulator::transportsShareOneState()
{
    auto serial = ptyWire();
    QVERIFY(serial);
    QCOMPARE(AnswerWords(*serial, {"RTEMP 2 3"}), QByteArrayList({"OK"}));
    QCOMPARE(AnswerWords(*m_tcp, {"TAKE 1"}), QByteArrayList({"OK"}));
    const QByteArray routes = StatusPayload(*serial, "OINFOKV", 32);
    QCOMPARE(routes.mid(2, 2), QByteArray("\x02\x01", 2));
}

void TestEmulator::logRecordsEveryLine()
{
    auto serial = ptyWire();
    QVERIFY(serial);
    QVERIFY(m_tcp->send("RTEMP 1 2\r\n"));
    QCOMPARE(m_tcp->readReply(), QByteArray("\r\nOK\r\n#"));
    QVERIFY(m_tcp->send("\r"));
    QCOMPARE(m_tcp->readReply(), QByteArray("\r\n#"));
    QVERIFY(m_tcp->send("\n\nTAKE 1\r"));
    QCOMPARE(m_tcp->readReply(), QByteArray("\r\nOK\r\n#"));
    QCOMPARE(AnswerWords(*m_tcp, {"BOGUS 1"}), QByteArrayList({"ERR"}));
    QCOMPARE(StatusPayload(*serial, "MINFOKV", 20).size(), 20);
    // A line arriving in pieces is one line.
    QVERIFY(serial->send("RCL"));
    QVERIFY(serial->send("OCK 2 1\r"));
    QCOMPARE(serial->readReply(), QByteArray("\r\nOK\r\n#"));

    const QStringList expected{"RTEMP 1 2", "", "TAKE 1", "BOGUS 1", "MINFOKV", "RCLOCK 2 1"};
    QCOMPARE(m_emu.receivedLines(), expected);
    m_emu.clearLog();
    QCOMPARE(m_emu.receivedLines(), QStringList());
    QCOMPARE(AnswerWords(*m_tcp, {"TAKE 0"}), QByteArrayList({"OK"}));
    QCOMPARE(m_emu.receivedLines(), QStringList({"TAKE 0"}));
}

void TestEmulator::controlChannel()
{
    QVERIFY(m_emu.sendControl("model 13").startsWith("error"));
    QVERIFY(m_emu.sendControl("frobnicate").startsWith("error"));
    QVERIFY(m_emu.sendControl("fault nonsense").startsWith("error"));
    QVERIFY(m_emu.sendControl("fault delay").startsWith("error")); // delay needs a value
    QVERIFY(m_emu.sendControl("baud fast").startsWith("error"));
    QCOMPARE(m_emu.sendControl("model 10"), QString("ok"));
    QVERIFY(m_emu.state().startsWith("model=10 routes=-,-,-,-,-,-,-,- "));

    QCOMPARE(AnswerWords(*m_tcp, {"RTEMP 3 5", "TAKE 1", "RTEMP 3 7"}),
             QByteArrayList({"OK", "OK", "OK"}));
    QVERIFY2(m_emu.state().contains("routes=-,-,7*5,-,"), qPrintable(m_emu.state()));

    QCOMPARE(m_emu.sendControl("fault drop:TAKE@2"), QString("ok"));
    QCOMPARE(m_emu.sendControl("fault marker=5"), QString("ok"));
    QCOMPARE(m_emu.sendControl("faults"), QString("faults drop:TAKE@2 marker=5"));
    QCOMPARE(m_emu.sendControl("clear-faults"), QString("ok"));
    QCOMPARE(m_emu.sendControl("faults"), QString("faults -"));

    QCOMPARE(m_emu.sendControl("reset"), QString("ok"));
    QVERIFY(m_emu.state().contains("routes=-,-,-,-,"));
}

void TestEmulator::severalInstances()
{
    // A port search meets up to four switchers at once, each on its own pseudo-terminal.
    const QList<int> models{10, 11, 12, 20};
    std::vector<std::unique_ptr<EmuProcess>> emus;
    for (int model : models) {
        emus.push_back(std::make_unique<EmuProcess>());
        QVERIFY2(emus.back()->start(EmuProcess::Options().withTcp().withModel(model)),
                 qPrintable(emus.back()->errorString()));
    }
    QSet<QString> paths;
    for (size_t k = 0; k < emus.size(); ++k) {
        paths.insert(emus[k]->ptyDevice());
        auto serial = EmuWire::pty(emus[k]->ptyPath());
        QVERIFY(serial);
        QCOMPARE(int(StatusBlock<SystemInfo>(*serial, "MINFOKV").ModelCode), models[int(k)]);
        auto net = EmuWire::tcp(emus[k]->tcpPort());
        QVERIFY(net);
        QCOMPARE(int(StatusBlock<SystemInfo>(*net, "MINFOKV").ModelCode), models[int(k)]);
    }
    QCOMPARE(paths.size(), 4);

    emus[1]->stop();
    auto serial = EmuWire::pty(emus[2]->ptyPath());
    QVERIFY(serial);
    QCOMPARE(serial->exchange(""), QByteArray("\r\n#"));
}

// What one user of the suite's kvemu leaves behind, the next one never sees.
void TestEmulator::sharedInstanceComesBackAsNew()
{
    QString why;
    const EmuProcess::Options first =
        EmuProcess::Options().withTcp().withModel(10).withBaud(57600).withFault("burst:RTEMP@1");
    EmuProcess *emu = EmuProcess::Shared(first, &why);
    QVERIFY2(emu, qPrintable(why));
    QCOMPARE(emu->sendControl("faults"), QString("faults burst:RTEMP@1"));
    {
        auto pty = EmuWire::pty(emu->ptyPath());
        QVERIFY(pty);
        QVERIFY(pty->send("RTEMP 1 1\r")); // its answer held back
        QTRY_VERIFY(emu->receivedLines().contains("RTEMP 1 1"));
        QVERIFY(pty->send("GADD 1 2 101\rRTEM")); // and half a line
        QTRY_VERIFY(emu->receivedLines().contains("GADD 1 2 101"));
        QTest::qWait(50);
        QVERIFY(emu->sendControl("fault silence").startsWith("ok"));
    }

    EmuProcess *again = EmuProcess::Shared(EmuProcess::Options().withTcp(), &why);
    QCOMPARE(again, emu);
    QCOMPARE(again->sendControl("faults"), QString("faults -"));
    QCOMPARE(again->receivedLines(), QStringList());
    const QString state = again->state();
    QVERIFY2(state.startsWith("model=11 routes=-,-,-,-,-,-,-,-,-,-,-,-,-,-,-,- "), qPrintable(state));
    QVERIFY2(state.contains(" groups=- "), qPrintable(state));
    auto pty = EmuWire::pty(again->ptyPath());
    QVERIFY(pty);
    QCOMPARE(pty->exchange("", 3, 1000), QByteArray("\r\n#"));
    QVERIFY(pty->readSome(100).isEmpty());
    QCOMPARE(again->receivedLines(), QStringList{""});

    // Stopped by a test, it is started afresh for the next.
    again->stop();
    EmuProcess *fresh = EmuProcess::Shared(EmuProcess::Options().withTcp(), &why);
    QVERIFY2(fresh && fresh->isRunning(), qPrintable(why));
    QCOMPARE(fresh->sendControl("state").left(14), QString("state model=11"));
}

void TestEmulator::stopRemovesLink_data()
{
    QTest::addColumn<bool>("viaSignal");
    QTest::newRow("SIGTERM") << true;
    QTest::newRow("stdin closed") << false;
}

void TestEmulator::stopRemovesLink()
{
    QFETCH(bool, viaSignal);
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyStop");
    QProcess p;
    p.start(qEnvironmentVariable("KV_EMU"), {"--pty", link, "--quit-on-eof"});
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY(QFileInfo(link).isSymLink());
    if (viaSignal)
        p.terminate();
    else
        p.closeWriteChannel();
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestEmulator::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says"); // in standard output or error
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Faults:";
    QTest::newRow("nothing to listen on") << QStringList{} << 1 << "nothing to listen on";
    QTest::newRow("unknown model") << QStringList{"--tcp", "0", "--model", "13"} << 1
                                   << "unknown model code 13";
    QTest::newRow("bad baud") << QStringList{"--tcp", "0", "--baud", "fast"} << 2 << "bad number";
    QTest::newRow("bad port") << QStringList{"--tcp", "70000"} << 2 << "bad number";
    QTest::newRow("bad panel pace") << QStringList{"--tcp", "0", "--panel-every", "0"} << 2
                                    << "bad number";
    QTest::newRow("bad fault") << QStringList{"--tcp", "0", "--fault", "bogus"} << 2
                               << "unknown fault kind";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << "Unknown option";
    QTest::newRow("link over a file") << QStringList{"--pty", "@FILE@"} << 1
                                      << "is not a symbolic link";
}

void TestEmulator::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QTemporaryDir dir;
    QFile file(dir.filePath("plain"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    args.replaceInStrings("@FILE@", file.fileName());
    QProcess p;
    p.start(qEnvironmentVariable("KV_EMU"), args);
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), exitCode);
    const QString text = p.readAllStandardOutput() + p.readAllStandardError();
    QVERIFY2(text.contains(says), qPrintable(text));
    QVERIFY(file.exists()); // never replaced
}

void TestEmulator::inProcess()
{
    QTemporaryDir dir;
    emu::EmulatorOptions o;
    o.tcpPort = 0;
    o.ptyLink = dir.filePath("ttyInProcess");
    o.model = 10;
    emu::EmulatorThread emu;
    QString error;
    QVERIFY2(emu.start(o, &error), qPrintable(error));
    QVERIFY(emu.tcpPort() != 0);
    QCOMPARE(QFileInfo(o.ptyLink).symLinkTarget(), emu.ptySlavePath());

    auto net = EmuWire::tcp(emu.tcpPort());
    auto serial = EmuWire::pty(o.ptyLink);
    QVERIFY(net && serial);
    QCOMPARE(AnswerWords(*net, {"RTEMP 1 2"}), QByteArrayList({"OK"}));
    QCOMPARE(AnswerWords(*serial, {"TAKE 1"}), QByteArrayList({"OK"}));
    QVERIFY(emu.control("state").startsWith("state model=10 routes=2,-,-,-,-,-,-,- "));
    QCOMPARE(emu.received(), QList<QByteArray>({"RTEMP 1 2", "TAKE 1"}));
    emu.stop();
    QVERIFY(!QFileInfo(o.ptyLink).isSymLink());
}

void TestEmulator::serialPortOnLink()
{
    // The console opens the link as a serial port: 57600 8N1, RTS/CTS.
    QSerialPort port(m_emu.ptyPath());
    port.setBaudRate(57600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::HardwareControl);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    port.clear();
    for (int round = 0; round < 2; ++round) { // the second after the port was reopened
        port.write("MINFOKV\r");
        QVERIFY(port.waitForBytesWritten(5000));
        QByteArray got;
        while (got.size() < StatusReplyLength(20) && port.waitForReadyRead(5000))
            got += port.readAll();
        QCOMPARE(got.size(), StatusReplyLength(20));
        QCOMPARE(int(BlockOf<SystemInfo>(got).ModelCode), 11);
        port.close();
        QVERIFY(port.open(QIODevice::ReadWrite));
    }
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
