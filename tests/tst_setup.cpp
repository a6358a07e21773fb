// The Setup page's system commands: the common frame (Busy, SuppressCommands, a live link),
// the two check boxes, System Save and Recall, and the two resets with their question, the
// progress window, the menus and the long serial wait.

#include "ConsoleFixture.h"
#include "ProgressWatch.h"
#include "TestFiles.h"
#include "Texts.h"

#include "app/InfoForm.h"
#include "control/StatusRead.h"
#include "ui/SetupPage.h"
#include "link/CommandChannel.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

using namespace kv;
using kv::test::ConsoleFixture;
using kv::test::ProgressWatch;
namespace texts = kv::test::texts;

namespace {

bool menusEnabled(ConsoleFixture &f)
{
    return f.form().menu().File1->menuAction()->isEnabled() &&
           f.form().menu().Search1->menuAction()->isEnabled();
}

const QStringList kSetupControls = {"FrontPanelLockCheckBox", "VIStateCheckBox",
                                    "SystemSaveButton",       "SystemRecallButton",
                                    "ResetButton",            "FactoryResetButton"};

} // namespace

class TestSetup : public QObject {
    Q_OBJECT
private slots:
    void silentUnlessAllowed_data();
    void silentUnlessAllowed();
    void checkBoxesSend_data();
    void checkBoxesSend();
    void boxSetByTheConsoleSends();
    void systemRecallShowsSavedLock();
    void resetAnsweredNo_data();
    void resetAnsweredNo();
    void resetSent_data();
    void resetSent();
    void factoryResetWaitsLongOverSerial();
    void screenshot();
};

void TestSetup::silentUnlessAllowed_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("condition");
    for (const QString &condition : QStringList{"before the first read", "no link", "busy"}) {
        for (const QString &control : kSetupControls)
            QTest::newRow(qPrintable(condition + ": " + control)) << control << condition;
    }
}

void TestSetup::silentUnlessAllowed()
{
    QFETCH(QString, control);
    QFETCH(QString, condition);
    ConsoleFixture f;
    if (condition != "no link") {
        QVERIFY2(f.start(), qPrintable(f.error()));
        QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    }
    if (condition == "busy") {
        f.readAll();
        f.state().Busy = 1;
    } else {
        // As the window has it from its first showing until the first read.
        f.state().SuppressCommands = condition == "before the first read" ? 1 : 0;
    }
    if (condition != "no link")
        f.clearWire();
    f.dialogs.answer(Dialogs::Answer::Yes); // were a reset to ask, it would go ahead
    ProgressWatch watch(f.form().infoForm());
    const bool wasTicked = f.isChecked(control);
    const QByteArray before = kv::test::BytesOf(f.state());

    QVERIFY(f.click(control));

    QCOMPARE(f.dialogs.boxes.size(), 0);
    QCOMPARE(watch.shownTexts, QStringList());
    QCOMPARE(kv::test::BytesOf(f.state()), before); // Info untouched, Busy as it was
    QVERIFY(menusEnabled(f));
    if (condition != "no link")
        QCOMPARE(f.wire(), QStringList());
    if (control.endsWith("CheckBox"))
        QCOMPARE(f.isChecked(control), !wasTicked); // only the tick changes
}

void TestSetup::checkBoxesSend_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("tcp");
    QTest::newRow("lockout, serial") << "FrontPanelLockCheckBox" << "FPLOCK" << false;
    QTest::newRow("vertical switching, serial") << "VIStateCheckBox" << "VISTATE" << false;
    QTest::newRow("lockout, ethernet") << "FrontPanelLockCheckBox" << "FPLOCK" << true;
    QTest::newRow("vertical switching, ethernet") << "VIStateCheckBox" << "VISTATE" << true;
}

void TestSetup::checkBoxesSend()
{
    QFETCH(QString, box);
    QFETCH(QString, keyword);
    QFETCH(bool, tcp);
    CONNECT(f, tcp ? "tcp" : "pty");
    f->readAll();
    f->clearWire();
    const std::uint8_t &field =
        keyword == "FPLOCK" ? f->state().Info.FrontPanelLock : f->state().Info.VIState;
    const QString emuKey = keyword == "FPLOCK" ? "lock" : "vi";

    QVERIFY(f->click(box));
    QCOMPARE(f->commands(), QStringList{keyword + " 1"});
    QCOMPARE(field, std::uint8_t(1));
    QCOMPARE(f->emuState(emuKey), QString("1"));
    QVERIFY(f->click(box));
    QCOMPARE(f->commands(), (QStringList{keyword + " 1", keyword + " 0"}));
    QCOMPARE(field, std::uint8_t(0));
    QCOMPARE(f->emuState(emuKey), QString("0"));
    QCOMPARE(f->dialogs.boxes.size(), 0);
}

void TestSetup::boxSetByTheConsoleSends()
{
    // A redraw with both guards down runs the box's handler like a click.
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.readAll();
    f.clearWire();
    f.state().Info.VIState = 1;
    f.form().core().statusRead().ShowSystemInfo();
    QVERIFY(f.isChecked("VIStateCheckBox"));
    QCOMPARE(f.commands(), QStringList{"VISTATE 1"});
}

void TestSetup::systemRecallShowsSavedLock()
{
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.readAll();
    f.clearWire();
    // The switcher saves its settings with the front panel locked, then it is released.
    QVERIFY(f.click("FrontPanelLockCheckBox"));
    QVERIFY(f.click("SystemSaveButton"));
    QVERIFY(f.click("FrontPanelLockCheckBox"));
    QCOMPARE(f.commands(), (QStringList{"FPLOCK 1", "UPSYS", "FPLOCK 0"}));
    QCOMPARE(f.emuState("saved-lock"), QString("1"));
    QVERIFY(!f.isChecked("FrontPanelLockCheckBox"));
    f.clearWire();

    QVERIFY(f.click("SystemRecallButton"));
    QCOMPARE(f.wire(), (QStringList{"RSYS", "MINFOKV"})); // and no FPLOCK for the new tick
    QVERIFY(f.isChecked("FrontPanelLockCheckBox"));
    QCOMPARE(f.state().Info.FrontPanelLock, std::uint8_t(1));
    QCOMPARE(f.state().Busy, 0);
    QCOMPARE(f.dialogs.boxes.size(), 0);
}

void TestSetup::resetAnsweredNo_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("question");
    QTest::newRow("reset") << "ResetButton" << texts::kResetQuestion;
    QTest::newRow("factory reset") << "FactoryResetButton" << texts::kFactoryResetQuestion;
}

void TestSetup::resetAnsweredNo()
{
    QFETCH(QString, button);
    QFETCH(QString, question);
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.readAll();
    f.clearWire();
    ProgressWatch watch(f.form().infoForm());
    bool menusDuringQuestion = true;
    f.dialogs.onShow = [&](const kv::test::ShownBox &) { menusDuringQuestion = menusEnabled(f); };

    QVERIFY(f.click(button)); // the empty answer queue says No
    QCOMPARE(f.dialogs.boxes.size(), 1);
    const kv::test::ShownBox &box = f.dialogs.boxes.first();
    QCOMPARE(box.title, texts::kResetTitle);
    QCOMPARE(box.text, question);
    QCOMPARE(box.buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(box.icon, Dialogs::Icon::None);
    QVERIFY(!menusDuringQuestion);
    QCOMPARE(f.wire(), QStringList());
    QCOMPARE(watch.shownTexts, QStringList());
    QVERIFY(menusEnabled(f));
    QCOMPARE(f.state().Busy, 0);
}

void TestSetup::resetSent_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("tcp");
    QTest::newRow("reset, serial") << "ResetButton" << "RESETKV R" << false;
    QTest::newRow("factory reset, serial") << "FactoryResetButton" << "RESETKV F" << false;
    QTest::newRow("reset, ethernet") << "ResetButton" << "RESETKV R" << true;
    QTest::newRow("factory reset, ethernet") << "FactoryResetButton" << "RESETKV F" << true;
}

void TestSetup::resetSent()
{
    QFETCH(QString, button);
    QFETCH(QString, command);
    QFETCH(bool, tcp);
    CONNECT(f, tcp ? "tcp" : "pty");
    f->readAll();
    f->clearWire();
    ProgressWatch watch(f->form().infoForm());
    QList<bool> menusAtShow;
    watch.onShow = [&] { menusAtShow << menusEnabled(*f); };
    // The serial send announces itself in the status bar: the window must be up by then.
    bool shownAtSend = false;
    QStatusBar *bar = f->find<QStatusBar>("MainStatusBar");
    connect(bar, &QStatusBar::messageChanged, this, [&](const QString &m) {
        if (m == texts::kSending)
            shownAtSend = f->form().infoForm()->isVisible();
    });

    f->dialogs.answer(Dialogs::Answer::Yes);
    QVERIFY(f->click(button));
    QTRY_COMPARE(f->commands(), QStringList{command});
    QCOMPARE(watch.shownTexts, QStringList{texts::kResetProgress});
    QCOMPARE(menusAtShow, QList<bool>{false});
    QVERIFY(watch.hides >= 1);
    QVERIFY(!f->form().infoForm()->isVisible());
    if (!tcp)
        QVERIFY(shownAtSend);
    QVERIFY(menusEnabled(*f));
    QCOMPARE(f->state().Busy, 0);
    // The console reads nothing back after a reset.
    QCOMPARE(f->wire(), QStringList{command});
}

void TestSetup::factoryResetWaitsLongOverSerial()
{
    // Shortened ticks: 810 of them are about 4 s, 80 of them 0.4 s.
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.readAll();
    const Timeouts &t = f.form().timeouts();
    const int slowAnswerMs = 1500;
    QVERIFY(t.ticksToMs(t.ResetTicks) > 2 * slowAnswerMs);
    QVERIFY(t.ticksToMs(t.NormalTicks) * 2 < slowAnswerMs);
    QCOMPARE(f.emu().sendControl(QString("fault delay:RESETKV=%1@1").arg(slowAnswerMs)), QString("ok"));
    QCOMPARE(f.emu().sendControl(QString("fault delay:FPLOCK=%1@1").arg(slowAnswerMs)), QString("ok"));
    f.clearWire();

    f.dialogs.answer(Dialogs::Answer::Yes);
    QVERIFY(f.click("FactoryResetButton"));
    // The slow answer was awaited: no bare carriage returns chased it, no retry was offered.
    QCOMPARE(f.wire(), QStringList{"RESETKV F"});
    QCOMPARE(f.dialogs.boxes.size(), 1); // the question only

    // The next command waits the usual time again: the same slow answer is given up on.
    f.clearWire();
    QVERIFY(f.click("FrontPanelLockCheckBox"));
    const QStringList wire = f.wire();
    QVERIFY2(wire.size() >= 2 && wire.first() == "FPLOCK 1" && wire.at(1).isEmpty(),
             qPrintable(wire.join('|')));
}

// Not a check: with KV_SCREENSHOT=FILE set (scripts/screenshot.sh), saves a picture of the
// Setup page after a read, with the front panel locked. Skipped otherwise.
void TestSetup::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.readAll();
    QVERIFY(f.click("FrontPanelLockCheckBox"));
    f.form().show(); // its start-up question is answered No by the scripted dialogs
    f.showPage("SetupTabSheet");
    f.form().core().statusRead().ShowSystemInfo();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form()));
    QVERIFY2(f.form().grab().save(file), qPrintable(file));
    qInfo("Setup page: %s", qPrintable(file));
}

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
