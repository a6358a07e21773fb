// The status read: six queries against kvemu over a pty and over TCP, their blocks in
// MatrixState, the progress window, the messages, and the pages redrawn from what was read.

#include "ConsoleFixture.h"
#include "FaultRig.h"
#include "Texts.h"

#include "app/InfoForm.h"
#include "control/StatusRead.h"
#include "control/Routing.h"
#include "link/CommandChannel.h"
#include "link/LinkTransport.h"
#include "protocol/Commands.h"
#include "protocol/StatusReader.h"
#include "ui/Colours.h"

#include <QLabel>
#include <QStatusBar>
#include <QTcpSocket>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

// Marks every preset block so that a test can tell which ones a read overwrote.
void markPresets(MatrixState &s)
{
    for (int p = 0; p < kPresetCount; ++p) {
        s.Presets[p].Stored = 0xEE;
        s.PresetGroups[p].Spare[0] = 0xEE;
    }
}

QStringList boxesTitled(const ScriptedDialogs &d, const QString &title)
{
    QStringList texts;
    for (const ShownBox &b : d.boxes) {
        if (b.title == title)
            texts << b.text;
    }
    return texts;
}

// Records what a label shows each time it is drawn, and whether its window was up.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QLabel *label) : m_label(label) { label->installEventFilter(this); }
    QStringList texts;
    bool allVisible = true;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint) {
            if (texts.isEmpty() || texts.last() != m_label->text())
                texts << m_label->text();
            allVisible = allVisible && m_label->window()->isVisible();
        }
        return false;
    }

private:
    QLabel *m_label;
};

} // namespace

class TestStatusRead : public QObject {
    Q_OBJECT
private slots:
    void startMarkerSearch_data();
    void startMarkerSearch();
    void fullRead_data();
    void fullRead();
    void progressWindow();
    void presetQueryFailsAtIndex3_data();
    void presetQueryFailsAtIndex3();
    void startMarkerPosition_data();
    void startMarkerPosition();
    void outOfRangeValuesShownWithoutHarm();
    void systemRecallReread();
    void readWithoutLinkReportsMinusOne();
    void busyRefusesRead();
    void earlierReplyIsNeverParsedAgain();
};

void TestStatusRead::startMarkerSearch_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("marker");
    QTest::newRow("first byte") << QByteArray("\x01\x01xyz", 5) << 0;
    QTest::newRow("after CR LF") << QByteArray("\r\n\x01\x00", 4) << 2;
    QTest::newRow("position 29") << QByteArray(29, ' ') + '\x01' << 29;
    QTest::newRow("position 30") << QByteArray(30, ' ') + '\x01' << -1;
    QTest::newRow("none") << QByteArray(64, '\0') << -1;
    QTest::newRow("short reply") << QByteArray("ab", 2) << -1;
}

void TestStatusRead::startMarkerSearch()
{
    QFETCH(QByteArray, reply);
    QTEST(StatusReader::FindStartMarker(reinterpret_cast<const std::uint8_t *>(reply.constData()),
                                        int(reply.size())),
          "marker");
}

void TestStatusRead::fullRead_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("model");
    for (const QString &link : kLinks) {
        QTest::addRow("%s: 16 x 16", qPrintable(link)) << link << 11;
        QTest::addRow("%s: 8 x 8", qPrintable(link)) << link << 10;
    }
    QTest::newRow("pty: SD SDI") << "pty" << 12;
    QTest::newRow("tcp: HD-15") << "tcp" << 20;
}

void TestStatusRead::fullRead()
{
    QFETCH(QString, link);
    QFETCH(int, model);
    CONNECT(f, link, EmuProcess::Options().withModel(model));
    const int n = model == 10 ? 8 : 16;

    // The switcher's side: output 1 settled on 3, output 2 pending on 4, reclockers of the
    // first and last output on, group 1 with output 3 and input 5, panel locked, VI on.
    CommandChannel &ch = f->form().core().channel();
    SendRouteTemp(ch, 0, 2);
    SendTakeCommit(ch);
    SendRouteTemp(ch, 1, 3);
    SendReclock(ch, 0, 1);
    SendReclock(ch, n - 1, 1);
    SendGroupAdd(ch, 0, 2, kNoSide);
    SendGroupAdd(ch, 0, kNoSide, 4);
    SendFrontPanelLock(ch, 1);
    SendVIState(ch, 1);

    // The console's side: as after start-up, plus values beyond an 8 x 8 model.
    MatrixState &s = f->state();
    s.SuppressCommands = 1;
    markPresets(s);
    s.Routes[12] = RouteEntry{7, 1};
    s.PreviousInput[12] = 7;
    s.Reclock[12] = 1;
    f->clearWire();

    QVERIFY(f->click("ReadfromKestavions1"));

    QCOMPARE(f->wire(), FullQuerySequence()); // nothing else: no RCLOCK, no FPLOCK
    QCOMPARE(f->dialogs.boxes.size(), 0);
    QCOMPARE(s.SuppressCommands, std::uint8_t(0));
    QCOMPARE(s.Busy, 0);
    QVERIFY(!f->form().infoForm()->isVisible());
    QCOMPARE(f->find<QStatusBar>("MainStatusBar")->currentMessage(), QString());

    QCOMPARE(int(s.Info.ModelCode), model);
    QCOMPARE(int(s.OutputCount), n);
    QCOMPARE(int(s.InputCount), n);
    QCOMPARE(s.Routes[0].Input, std::uint8_t(2));
    QCOMPARE(s.Routes[0].Taken, std::uint8_t(1));
    QCOMPARE(s.Routes[1].Input, std::uint8_t(3));
    QCOMPARE(s.Routes[1].Taken, std::uint8_t(0));
    QCOMPARE(s.PreviousInput[0], std::uint8_t(2));
    QCOMPARE(s.PreviousInput[1], UNASSIGNED);
    for (int o = 0; o < n; ++o)
        QCOMPARE(int(s.Reclock[o]), o == 0 || o == n - 1 ? 1 : 0);
    QCOMPARE(int(s.Groups.GroupInputCount[0]), 1);
    QCOMPARE(s.Groups.OutputGroup[2], std::uint8_t(0));
    QCOMPARE(s.Groups.GroupInputs[0][4], std::uint8_t(0));
    for (int p = 0; p < kPresetCount; ++p) {
        QCOMPARE(s.Presets[p].Stored, std::uint8_t(0));
        QCOMPARE(s.PresetGroups[p].Spare[0], std::uint8_t(0));
    }
    // Beyond an 8 x 8 model nothing is touched.
    const bool small = n == 8;
    QCOMPARE(s.Routes[12].Input, small ? std::uint8_t(7) : UNASSIGNED);
    QCOMPARE(s.PreviousInput[12], small ? std::uint8_t(7) : UNASSIGNED);
    QCOMPARE(s.Reclock[12], std::uint8_t(small ? 1 : 0));

    // Every page drawn from what was read.
    QCOMPARE(f->form().windowTitle(), texts::Caption(model));
    QCOMPARE(f->text("VideoLabel1"), "3");
    QCOMPARE(f->colour("VideoLabel1"), kLime);
    QCOMPARE(f->text("VideoLabel2"), "4");
    QCOMPARE(f->colour("VideoLabel2"), kRed);
    QCOMPARE(f->text("VideoLabel3"), "--");
    QCOMPARE(f->colour("VideoLabel3"), buttonFace());
    QVERIFY(f->isChecked("ReclockerCheckBox1"));
    QVERIFY(!f->isChecked("ReclockerCheckBox2"));
    QVERIFY(f->isChecked(QString("ReclockerCheckBox%1").arg(n)));
    QCOMPARE(f->isEnabled("OutputButton9"), !small);
    QCOMPARE(f->isEnabled("InputButton16"), !small);
    QVERIFY(f->find<QWidget>("IPAddrEdit"));
    QCOMPARE(f->text("IPAddrEdit"), "192.168.1.200");
    QCOMPARE(f->text("FirmwareVersionLabel"), "2.05");
    QVERIFY(f->isChecked("FrontPanelLockCheckBox"));
    QVERIFY(f->isChecked("VIStateCheckBox"));

    // With SuppressCommands now 0, the reclocker boxes send again.
    f->clearWire();
    QVERIFY(f->click("ReclockerCheckBox2"));
    QCOMPARE(f->commands(), QStringList{"RCLOCK 2 1"});
}

void TestStatusRead::progressWindow()
{
    CONNECT(f, "pty");
    TInfoForm *info = f->form().infoForm();
    PaintRecorder dots(info->InfoProgressLabel);
    PaintRecorder message(info->InfoLabel);

    f->readAll();

    QStringList shown = dots.texts;
    shown.removeAll(QString());
    QCOMPARE(shown, QStringList({".", "...", "....", ".....", "......", ".......", "........"}));
    QVERIFY(dots.allVisible);
    QCOMPARE(message.texts, QStringList{texts::kQuerying});
    QVERIFY(!info->isVisible());
    QCOMPARE(info->windowTitle(), texts::kInfoCaption);
    QVERIFY(info->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(info->windowFlags() & Qt::WindowCloseButtonHint));
}

void TestStatusRead::presetQueryFailsAtIndex3_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("statusText");
    const QString parse = texts::ParseError("PINFOKV");
    QTest::newRow("pty: no start marker") << "pty" << "marker:PINFOKV 3=40@1" << parse;
    QTest::newRow("tcp: no start marker") << "tcp" << "marker:PINFOKV 3=40@1" << parse;
    QTest::newRow("tcp: no answer") << "tcp" << "silence:PINFOKV 3@1" << parse;
    QTest::newRow("pty: no answer") << "pty" << "silence:PINFOKV 3@1" << QString();
}

// Presets 0-2 are read, 3-7 keep what they held, one box says so, and the read goes on.
void TestStatusRead::presetQueryFailsAtIndex3()
{
    QFETCH(QString, link);
    QFETCH(QString, fault);
    QFETCH(QString, statusText);
    CONNECT(f, link, EmuProcess::Options().withFault(fault));
    markPresets(f->state());
    f->state().SuppressCommands = 1;
    QSignalSpy status(f->find<QStatusBar>("MainStatusBar"), &QStatusBar::messageChanged);

    f->readAll();

    for (int p = 0; p < kPresetCount; ++p)
        QCOMPARE(int(f->state().Presets[p].Stored), p < 3 ? 0 : 0xEE);
    QCOMPARE(boxesTitled(f->dialogs, texts::kReadErrorTitle),
             QStringList{texts::kPresetsUnread});
    const QStringList wire = f->wire();
    QVERIFY(wire.contains("PINFOKV 3"));
    QVERIFY(!wire.contains("PINFOKV 4"));
    QVERIFY(wire.contains("GINFOKV"));
    QVERIFY(wire.contains("PGINFOKV 7"));
    for (int p = 0; p < kPresetCount; ++p)
        QCOMPARE(f->state().PresetGroups[p].Spare[0], std::uint8_t(0));
    // Still a successful read.
    QCOMPARE(f->state().SuppressCommands, std::uint8_t(0));
    QCOMPARE(f->form().windowTitle(), texts::Caption(11));
    QVERIFY(!f->form().infoForm()->isVisible());
    if (!statusText.isEmpty()) {
        bool seen = false;
        for (const QList<QVariant> &args : status)
            seen = seen || args.value(0).toString() == statusText;
        QVERIFY(seen);
    }
}

void TestStatusRead::startMarkerPosition_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("accepted");
    for (const QString &link : kLinks) {
        QTest::addRow("%s: 0", qPrintable(link)) << link << 0 << true;
        QTest::addRow("%s: 29", qPrintable(link)) << link << 29 << true;
        QTest::addRow("%s: 30", qPrintable(link)) << link << 30 << false;
    }
}

void TestStatusRead::startMarkerPosition()
{
    QFETCH(QString, link);
    QFETCH(int, position);
    QFETCH(bool, accepted);
    CONNECT(f, link, EmuProcess::Options().withModel(12).withFault(
                                  QString("marker:MINFOKV=%1@1").arg(position)));
    f->state().SuppressCommands = 1;
    QSignalSpy status(f->find<QStatusBar>("MainStatusBar"), &QStatusBar::messageChanged);

    f->readAll();

    if (accepted) {
        QCOMPARE(f->state().Info.ModelCode, std::uint8_t(12));
        QCOMPARE(f->text("FirmwareVersionLabel"), "2.05");
        QCOMPARE(f->form().windowTitle(), texts::Caption(12));
        QCOMPARE(f->dialogs.boxes.size(), 0);
        QCOMPARE(f->state().SuppressCommands, std::uint8_t(0));
        return;
    }
    QCOMPARE(f->wire(), QStringList{"MINFOKV"});
    QCOMPARE(f->state().Info.ModelCode, std::uint8_t(0));
    QCOMPARE(f->form().windowTitle(), texts::kInitialCaption);
    QCOMPARE(f->dialogs.boxes.size(), 1);
    const ShownBox box = f->dialogs.boxes.first();
    QCOMPARE(box.title, texts::kAppTitle);
    QCOMPARE(box.icon, Dialogs::Icon::None);
    QCOMPARE(box.text, texts::ReadFailed(link == "tcp" ? "Ethernet" : "Serial", -1));
    QCOMPARE(f->state().SuppressCommands, std::uint8_t(1));
    QCOMPARE(f->state().Busy, 0);
    bool parseErrorShown = false;
    for (const QList<QVariant> &args : status)
        parseErrorShown = parseErrorShown || args.value(0) == texts::ParseError("MINFOKV");
    QVERIFY(parseErrorShown);
    QCOMPARE(f->find<QStatusBar>("MainStatusBar")->currentMessage(), QString());
    QVERIFY(!f->form().infoForm()->isVisible());
}

// Inputs, flags and groups beyond their ranges and an unknown model code: stored as
// received, drawn as numbers, and never used to reach outside an array.
void TestStatusRead::outOfRangeValuesShownWithoutHarm()
{
    CONNECT(f, "tcp", EmuProcess::Options().withFault("range"));
    f->readAll();
    const MatrixState &s = f->state();
    QCOMPARE(s.Info.ModelCode, std::uint8_t(13));
    QCOMPARE(int(s.OutputCount), 16);
    QCOMPARE(f->form().windowTitle(), texts::kInitialCaption);
    QCOMPARE(s.Routes[0].Input, std::uint8_t(16));
    QCOMPARE(f->text("VideoLabel1"), "17");
    QCOMPARE(f->colour("VideoLabel1"), kLime);
    QCOMPARE(f->dialogs.boxes.size(), 0);

    // The operator can still work: the routed input is off the page, every input is offered.
    f->clearWire();
    QVERIFY(f->click("OutputButton1"));
    for (int n = 1; n <= 16; ++n) {
        QCOMPARE(f->colour(QString("InputButton%1").arg(n)), buttonFace());
        QVERIFY(f->isEnabled(QString("InputButton%1").arg(n)));
    }
    QVERIFY(f->click("InputButton2"));
    QCOMPARE(f->text("VideoLabel1"), "2");
    QVERIFY(f->click("InputButton2")); // withdraw: back to the out-of-range input
    QCOMPARE(f->commands(), QStringList({"RTEMP 1 2", "TAKE 0"}));
    QCOMPARE(s.Routes[0].Input, s.PreviousInput[0]);
    QVERIFY(f->click("OutputButton16"));
    QVERIFY(f->click("ClearAllRoutingButton"));
    QCOMPARE(f->text("VideoLabel16"), "--");
}

// After System Recall only the system status is read again and shown; the routing page
// stays as it was, and the box set from Info sends nothing while the handler holds Busy.
void TestStatusRead::systemRecallReread()
{
    CONNECT(f, "pty");
    f->readAll();
    SendFrontPanelLock(f->form().core().channel(), 1);
    f->state().Routes[0] = RouteEntry{2, 1};
    f->clearWire();

    f->state().Busy = 1;
    f->form().core().statusRead().SystemRecallReread();
    f->state().Busy = 0;

    QCOMPARE(f->wire(), QStringList{"MINFOKV"});
    QCOMPARE(f->state().Info.FrontPanelLock, std::uint8_t(1));
    QVERIFY(f->isChecked("FrontPanelLockCheckBox"));
    QCOMPARE(f->text("VideoLabel1"), "--");
    QVERIFY(!f->form().infoForm()->isVisible());
    QCOMPARE(f->dialogs.boxes.size(), 0);
}

void TestStatusRead::readWithoutLinkReportsMinusOne()
{
    ConsoleFixture f;
    f.state().SuppressCommands = 1;
    f.readAll();
    QCOMPARE(f.dialogs.texts(),
             QStringList{texts::ReadFailed("Serial", -1)});
    QCOMPARE(f.state().SuppressCommands, std::uint8_t(1));
    QCOMPARE(f.state().Busy, 0);
    QCOMPARE(f.form().windowTitle(), texts::kInitialCaption);
}

void TestStatusRead::busyRefusesRead()
{
    CONNECT(f, "tcp");
    f->state().Busy = 1;
    f->readAll();
    QCOMPARE(f->wire(), QStringList());
    QCOMPARE(f->state().Busy, 1);
    QCOMPARE(f->dialogs.boxes.size(), 0);
}

// A query that brings nothing back (here: the connection is gone but not yet noticed) must
// fail, not parse the reply of the query before it as its own.
void TestStatusRead::earlierReplyIsNeverParsedAgain()
{
    CONNECT(f, "tcp");
    f->readAll();
    QCOMPARE(f->state().Info.ModelCode, std::uint8_t(11));
    LinkTransport(f->form().core().channel()).socket()->abort();
    f->state().EthernetConnected = 1;
    f->state().Info.ModelCode = 0;
    f->dialogs.clear();

    f->readAll();

    QCOMPARE(f->state().Info.ModelCode, std::uint8_t(0));
    QVERIFY(!f->dialogs.texts().isEmpty());
    QCOMPARE(f->dialogs.texts().last(), texts::ReadFailed("Ethernet", -1));
}

QTEST_MAIN(TestStatusRead)
#include "tst_statusread.moc"
