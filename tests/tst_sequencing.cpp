// The Sequencing page driven as an operator drives it against kvemu: the step checks and
// their messages, Start's order of checks, the cycle of recalls on the wire with a shortened
// second, the single-step hold, Stop, and a step falling due during another exchange.

#include "ConsoleFixture.h"
#include "OperatorSteps.h"
#include "Texts.h"

#include "control/Sequencer.h"
#include "ui/Colours.h"
#include "ui/Lamp.h"
#include "ui/PresetPanel.h"
#include "ui/SequencingPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

std::unique_ptr<ConsoleFixture> console()
{
    auto f = std::make_unique<ConsoleFixture>();
    if (f->start() && f->connectSerial())
        f->readAll();
    f->showPage("SequencingTabSheet");
    return f;
}

#define CONSOLE(f)                                                                             \
    auto f = console();                                                                        \
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));                                   \
    f->clearWire()

// The window on screen and active, so that the focus moves as it does for the operator. Its
// start-up questions are answered No and forgotten.
bool showWindow(ConsoleFixture &f)
{
    f.form().show();
    f.form().activateWindow();
    if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == &f.form(); }, 5000))
        return false;
    f.state().SuppressCommands = 0;
    f.dialogs.clear();
    f.showPage("SequencingTabSheet");
    return true;
}

QLineEdit *edit(ConsoleFixture &f, const QString &name) { return f.find<QLineEdit>(name); }

// Presets as the switcher's last read reported them stored.
void markStored(ConsoleFixture &f, const QList<int> &numbers)
{
    for (int n : numbers)
        f.state().Presets[n - 1].Stored = 1;
}

// The preset numbers of the recalls on the wire, in order.
QList<int> recalls(ConsoleFixture &f)
{
    QList<int> out;
    for (const QString &line : f.commands())
        if (line.startsWith("RPRST "))
            out << line.section(' ', 1, 1).toInt();
    return out;
}

QString limeSteps(ConsoleFixture &f)
{
    QStringList out;
    for (int n = 1; n <= 8; ++n)
        if (f.colour(QString("PresetSeqLabel%1").arg(n)) == kLime)
            out << QString::number(n);
    return out.join(',');
}

bool lampLit(ConsoleFixture &f) { return f.find<Lamp>("PresetSeqApdStatusLight")->lit(); }
QTimer *seqTimer(ConsoleFixture &f) { return f.form().findChild<QTimer *>("PresetSeqTimer"); }
bool stepControlsEnabled(ConsoleFixture &f) { return f.isEnabled("PresetSequenceActiveBox"); }

} // namespace

class TestSequencing : public QObject {
    Q_OBJECT
private slots:
    void startUpPage();
    void switchEnablesItsEdits();
    void startRefusals_data();
    void startRefusals();
    void acceptedStarts_data();
    void acceptedStarts();
    void twoStepsCycleOnTheWire();
    void singleStepHolds();
    void stepWaitsForAnotherExchange();
    void startDuringRunWithPresetGone();
    void stopWhileIdle();
    void leavingAnEditChecksIt();
    void recallDuringPreviewEndsThePreview();
    void screenshot();
};

void TestSequencing::startUpPage()
{
    ConsoleFixture f;
    QCOMPARE(f.find<QGroupBox>("PresetSeqParamGroupBox")->title(), QString("Preset Sequence "));
    QWidget *page = f.find<SequencingPage>("SequencingTabSheet");
    for (int n = 1; n <= 8; ++n) {
        QLineEdit *preset = edit(f, QString("PresetSeqEdit%1").arg(n));
        QLineEdit *delay = edit(f, QString("PresetDelayEdit%1").arg(n));
        QCOMPARE(preset->text(), QString::number(n));
        QCOMPARE(preset->maxLength(), 2);
        QVERIFY(!preset->isEnabled());
        QCOMPARE(delay->text(), QString("3"));
        QCOMPARE(delay->maxLength(), 4);
        QVERIFY(!delay->isEnabled());
        QCOMPARE(f.text(QString("PresetSeqEnableCheckBox%1").arg(n)), QString("On"));
        QVERIFY(!f.isChecked(QString("PresetSeqEnableCheckBox%1").arg(n)));
        QCOMPARE(f.text(QString("PresetSeqLabel%1").arg(n)), QString("Seq %1").arg(n));
        QCOMPARE(f.colour(QString("PresetSeqLabel%1").arg(n)), buttonFace());
    }
    // Down the preset numbers, then the delays, then the switches.
    QCOMPARE(edit(f, "PresetSeqEdit8")->nextInFocusChain(), edit(f, "PresetDelayEdit1"));
    QCOMPARE(edit(f, "PresetDelayEdit8")->nextInFocusChain(),
             f.find<QWidget>("PresetSeqEnableCheckBox1"));
    QCOMPARE(f.text("PresetSeqStartButton"), QString("Start"));
    QCOMPARE(f.text("PresetSeqStopButton"), QString("Stop"));
    QVERIFY(!lampLit(f));
    QCOMPARE(f.find<Lamp>("PresetSeqApdStatusLight")->size(), QSize(13, 13));
    QVERIFY(seqTimer(f));
    QVERIFY(!seqTimer(f)->isActive());
    // The preset panel stands beside the page.
    const int panelLeft = f.find<PresetPanel>("PresetsGroupBox")->x();
    for (QWidget *w : page->findChildren<QWidget *>()) {
        const int right = w->mapTo(f.form().centralWidget(), QPoint(w->width(), 0)).x();
        QVERIFY2(right <= panelLeft, qPrintable(w->objectName()));
    }
}

void TestSequencing::switchEnablesItsEdits()
{
    ConsoleFixture f;
    edit(f, "PresetDelayEdit4")->setText("12");
    QVERIFY(f.click("PresetSeqEnableCheckBox4"));
    QVERIFY(f.isEnabled("PresetSeqEdit4"));
    QVERIFY(f.isEnabled("PresetDelayEdit4"));
    QVERIFY(!f.isEnabled("PresetSeqEdit3"));
    QVERIFY(f.click("PresetSeqEnableCheckBox4"));
    QVERIFY(!f.isEnabled("PresetSeqEdit4"));
    QVERIFY(!f.isEnabled("PresetDelayEdit4"));
    QCOMPARE(f.text("PresetDelayEdit4"), QString("12"));
}

// Start refused: the message, where the focus goes, and nothing started or sent.
void TestSequencing::startRefusals_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    const QList<int> all{1, 2, 3, 4, 5, 6, 7, 8};
    const QString presetLimits = texts::kPresetOutOfLimits;
    const QString delayLimits = texts::kDelayOutOfLimits;

    QTest::newRow("nothing switched on") << "" << all << texts::kNoSequence
                                         << "";
    QTest::newRow("letter") << "1:x:3" << all << texts::NotValidNumber("x", "Preset") << "PresetSeqEdit1";
    QTest::newRow("empty") << "2::3" << all << texts::NotValidNumber("", "Preset") << "PresetSeqEdit2";
    QTest::newRow("digit and letter") << "3:3x:3" << all << texts::NotValidNumber("3x", "Preset")
                                      << "PresetSeqEdit3";
    QTest::newRow("plus sign") << "1:+3:3" << all << texts::NotValidNumber("+3", "Preset")
                               << "PresetSeqEdit1";
    QTest::newRow("blank between") << "1:1:1 2" << all << texts::NotValidNumber("1 2", "Delay")
                                   << "PresetDelayEdit1";
    QTest::newRow("preset 0") << "1:0:3" << all << presetLimits << "PresetSeqEdit1";
    QTest::newRow("preset 9") << "1:9:3" << all << presetLimits << "PresetSeqEdit1";
    QTest::newRow("preset -1") << "8:-1:3" << all << presetLimits << "PresetSeqEdit8";
    QTest::newRow("delay 2") << "1:1:2" << all << delayLimits << "PresetDelayEdit1";
    QTest::newRow("delay 0") << "1:1:0" << all << delayLimits << "PresetDelayEdit1";
    QTest::newRow("delay -5") << "1:1:-5" << all << delayLimits << "PresetDelayEdit1";
    QTest::newRow("delay letters") << "4:1:abc" << all << texts::NotValidNumber("abc", "Delay")
                                   << "PresetDelayEdit4";
    QTest::newRow("delay empty") << "1:1:" << all << texts::NotValidNumber("", "Delay")
                                 << "PresetDelayEdit1";
    QTest::newRow("preset not stored") << "1:2:3" << QList<int>{1} << texts::PresetEmpty("2")
                                       << "PresetSeqEdit1";
    QTest::newRow("not stored, blanks kept") << "1: 2:3" << QList<int>{1} << texts::PresetEmpty(" 2")
                                             << "PresetSeqEdit1";
    QTest::newRow("steps in order, each whole")
        << "2:3:3,5:1:2" << QList<int>{1} << texts::PresetEmpty("3") << "PresetSeqEdit2";
    QTest::newRow("a good step before a bad one")
        << "1:1:3,6:7:1" << QList<int>{1, 7} << delayLimits << "PresetDelayEdit6";
}

void TestSequencing::startRefusals()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, stored);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    CONSOLE(f);
    QVERIFY(showWindow(*f));
    SetSequenceSteps(*f, steps);
    markStored(*f, stored);
    f->find<QWidget>("PresetSeqStartButton")->setFocus();

    QVERIFY(f->click("PresetSeqStartButton"));
    QCOMPARE(f->dialogs.texts(), QStringList{message});
    QCOMPARE(f->dialogs.boxes.value(0).title, texts::kAppTitle);
    if (!focus.isEmpty())
        QCOMPARE(QApplication::focusWidget(), f->find<QWidget>(focus));
    QVERIFY(!lampLit(*f));
    QVERIFY(!seqTimer(*f)->isActive());
    QVERIFY(stepControlsEnabled(*f));
    QCOMPARE(f->commands(), QStringList{});
}

// Start accepted: the first switched-on step's preset is recalled and its delay armed.
void TestSequencing::acceptedStarts_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("first");    // preset recalled
    QTest::addColumn<int>("step");     // step on air
    QTest::addColumn<int>("seconds");  // its delay

    QTest::newRow("blanks around the numbers") << "2: 3: 7 " << 3 << 2 << 7;
    QTest::newRow("shortest delay") << "1:1:3" << 1 << 1 << 3;
    QTest::newRow("longest delay") << "1:1:9999" << 1 << 1 << 9999;
    QTest::newRow("leading zeros") << "1:04:0010" << 4 << 1 << 10;
    QTest::newRow("switched-off steps are not examined") << "4:8:5" << 8 << 4 << 5;
}

void TestSequencing::acceptedStarts()
{
    QFETCH(QString, steps);
    QFETCH(int, first);
    QFETCH(int, step);
    QFETCH(int, seconds);

    CONSOLE(f);
    markStored(*f, {1, 2, 3, 4, 5, 6, 7, 8});
    // Off steps with texts that would fail their checks.
    edit(*f, "PresetSeqEdit1")->setText("x");
    edit(*f, "PresetDelayEdit2")->setText("1");
    SetSequenceSteps(*f, steps);

    QVERIFY(f->click("PresetSeqStartButton"));
    QCOMPARE(f->dialogs.texts(), QStringList{});
    QCOMPARE(recalls(*f), QList<int>{first});
    QCOMPARE(limeSteps(*f), QString::number(step));
    QVERIFY(lampLit(*f));
    QVERIFY(!stepControlsEnabled(*f));
    QVERIFY(seqTimer(*f)->isActive());
    QCOMPARE(seqTimer(*f)->interval(), seconds * f->form().timeouts().SeqSecondMs);
    QVERIFY(f->click("PresetSeqStopButton"));
}

void TestSequencing::twoStepsCycleOnTheWire()
{
    CONSOLE(f);
    // Preset 2 routes output 1 to input 2, preset 5 to input 5.
    QVERIFY(f->click("OutputButton1") && f->click("InputButton2"));
    QVERIFY(f->click("PresetsSaveButton") && f->click("PresetButton2"));
    QVERIFY(f->click("InputButton5"));
    QVERIFY(f->click("PresetsSaveButton") && f->click("PresetButton5"));
    SetSequenceSteps(*f, "3:2:3,6:5:10");
    f->clearWire();

    QVERIFY(f->click("PresetSeqStartButton"));
    QCOMPARE(recalls(*f), QList<int>{2});
    QCOMPARE(limeSteps(*f), QString("3"));
    QVERIFY(lampLit(*f));

    QTRY_VERIFY_WITH_TIMEOUT(recalls(*f).size() >= 5, 20000);
    QVERIFY(f->click("PresetSeqStopButton"));
    const QList<int> seen = recalls(*f);
    for (int k = 0; k < seen.size(); ++k)
        QCOMPARE(seen[k], k % 2 ? 5 : 2);
    // Each recall is the whole immediate recall: RPRST, then every reclocker.
    const QStringList wire = f->commands();
    const int firstRecall = wire.indexOf("RPRST 5 0");
    QCOMPARE(wire.value(firstRecall + 1), QString("RCLOCK 1 0"));
    QCOMPARE(wire.value(firstRecall + 16), QString("RCLOCK 16 0"));

    // Stopped: the step on air stays lime, its delay was the one armed, nothing moves on.
    const bool onSix = seen.last() == 5;
    QCOMPARE(limeSteps(*f), QString(onSix ? "6" : "3"));
    QCOMPARE(seqTimer(*f)->interval(), (onSix ? 10 : 3) * f->form().timeouts().SeqSecondMs);
    QVERIFY(!seqTimer(*f)->isActive());
    QVERIFY(!lampLit(*f));
    QVERIFY(stepControlsEnabled(*f));
    QCOMPARE(f->emuState("routes").section(',', 0, 0), QString(onSix ? "5" : "2"));
}

void TestSequencing::singleStepHolds()
{
    CONSOLE(f);
    markStored(*f, {4});
    SetSequenceSteps(*f, "2:4:3");
    QSignalSpy fired(seqTimer(*f), &QTimer::timeout);
    QVERIFY(f->click("PresetSeqStartButton"));
    QTRY_COMPARE(fired.count(), 1);
    QVERIFY(!seqTimer(*f)->isActive());
    QVERIFY(lampLit(*f));
    QVERIFY(!stepControlsEnabled(*f));
    QCOMPARE(recalls(*f), QList<int>{4});
    QCOMPARE(limeSteps(*f), QString("2"));

    QVERIFY(f->click("PresetSeqStopButton"));
    QVERIFY(!lampLit(*f));
    QVERIFY(stepControlsEnabled(*f));
    QCOMPARE(limeSteps(*f), QString("2"));
}

// A step that falls due while the console is busy with the switcher waits for it to end.
void TestSequencing::stepWaitsForAnotherExchange()
{
    CONSOLE(f);
    markStored(*f, {1, 2});
    SetSequenceSteps(*f, "1:1:3,2:2:3");
    QVERIFY(f->click("PresetSeqStartButton"));
    f->state().Busy = 1;
    f->clearWire();
    QSignalSpy fired(seqTimer(*f), &QTimer::timeout);
    QTRY_VERIFY(fired.count() >= 3);
    QCOMPARE(recalls(*f), QList<int>{});
    QCOMPARE(limeSteps(*f), QString("1"));
    QVERIFY(seqTimer(*f)->isActive()); // still running, only waiting

    f->state().Busy = 0;
    QTRY_VERIFY(!recalls(*f).isEmpty());
    QCOMPARE(recalls(*f).first(), 2);
    QVERIFY(f->click("PresetSeqStopButton"));
}

// The presets were read again during a run and the step's preset is gone: Start says so,
// the run goes on, and the focus is not forced onto an edit that cannot take it.
void TestSequencing::startDuringRunWithPresetGone()
{
    CONSOLE(f);
    QVERIFY(showWindow(*f));
    markStored(*f, {1, 2});
    SetSequenceSteps(*f, "1:1:3,2:2:3");
    QVERIFY(f->click("PresetSeqStartButton"));
    f->state().Presets[1].Stored = 0;
    QWidget *start = f->find<QWidget>("PresetSeqStartButton");
    start->setFocus();

    QVERIFY(f->click("PresetSeqStartButton"));
    QCOMPARE(f->dialogs.texts(),
             QStringList{
                 texts::PresetEmpty("2")});
    QVERIFY(QApplication::focusWidget() != f->find<QWidget>("PresetSeqEdit2"));
    QVERIFY(f->find<QWidget>("PresetSeqEdit2")->isEnabled() == false);
    QVERIFY(lampLit(*f));
    QVERIFY(seqTimer(*f)->isActive());
    QVERIFY(!stepControlsEnabled(*f));
    QVERIFY(f->click("PresetSeqStopButton"));
}

void TestSequencing::stopWhileIdle()
{
    CONSOLE(f);
    QVERIFY(f->click("PresetSeqStopButton"));
    QVERIFY(!seqTimer(*f)->isActive());
    QVERIFY(!lampLit(*f));
    QVERIFY(stepControlsEnabled(*f));
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->dialogs.texts(), QStringList{});
}

// Leaving a switched-on edit with bad contents: one message, and the focus comes back; a
// second bad edit that the focus passes through does not start a second box.
void TestSequencing::leavingAnEditChecksIt()
{
    CONSOLE(f);
    QVERIFY(showWindow(*f));
    SetSequenceSteps(*f, "1:x:1");
    QLineEdit *preset = edit(*f, "PresetSeqEdit1");
    QLineEdit *delay = edit(*f, "PresetDelayEdit1");
    preset->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), preset);

    delay->setFocus(Qt::TabFocusReason);
    QCOMPARE(f->dialogs.texts(), QStringList{texts::NotValidNumber("x", "Preset")});
    QCOMPARE(QApplication::focusWidget(), preset);

    f->dialogs.clear();
    preset->setText("4");
    delay->setFocus(Qt::TabFocusReason);
    QCOMPARE(f->dialogs.texts(), QStringList{});
    QCOMPARE(QApplication::focusWidget(), delay);

    f->find<QWidget>("PresetSeqEnableCheckBox1")->setFocus(Qt::TabFocusReason);
    QCOMPARE(f->dialogs.texts(), QStringList{texts::kDelayOutOfLimits});
    QCOMPARE(QApplication::focusWidget(), delay);

    // The window losing the focus is not the operator leaving the edit.
    f->dialogs.clear();
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &other);
    QCOMPARE(f->dialogs.texts(), QStringList{});
}

// An immediate recall of the sequence replaces a preview: Take and Confirm then no longer
// send the previewed preset.
void TestSequencing::recallDuringPreviewEndsThePreview()
{
    CONSOLE(f);
    QVERIFY(f->click("PresetsSaveButton") && f->click("PresetButton1"));
    QVERIFY(f->click("PresetsSaveButton") && f->click("PresetButton2"));
    QVERIFY(f->click("PresetsRecallButton") && f->click("PresetButton1"));
    QCOMPARE(f->state().PresetPreviewPending, 1);
    SetSequenceSteps(*f, "1:2:3");
    f->clearWire();

    QVERIFY(f->click("PresetSeqStartButton"));
    QCOMPARE(recalls(*f), QList<int>{2});
    QCOMPARE(f->state().PresetPreviewPending, 0);
    QVERIFY(f->isEnabled("PresetRecallConfirmButton"));

    f->clearWire();
    QVERIFY(f->click("PresetRecallConfirmButton"));
    QCOMPARE(f->commands(), QStringList{});
    QVERIFY(!f->isEnabled("PresetRecallConfirmButton"));
    QVERIFY(f->click("TakeButton"));
    QCOMPARE(f->commands(), QStringList{"TAKE 1"});
    QVERIFY(f->click("PresetSeqStopButton"));
}

// Not a check: with KV_SCREENSHOT=FILE set (scripts/screenshot.sh), saves a picture of the
// window on the Sequencing page with a sequence running and the preset panel choosing a
// preset to recall. Skipped otherwise.
void TestSequencing::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    Timeouts timeouts = Timeouts::fast();
    timeouts.SeqSecondMs = 1000; // the run must not move on while the picture is taken
    ConsoleFixture f(timeouts);
    QVERIFY2(f.start() && f.connectSerial(), qPrintable(f.error()));
    f.readAll();
    for (int p : {1, 2, 3, 5, 6}) {
        QVERIFY(f.click("OutputButton1") && f.click(QString("InputButton%1").arg(p)));
        QVERIFY(f.click("PresetsSaveButton") && f.click(QString("PresetButton%1").arg(p)));
    }
    SetSequenceSteps(f, "1:1:10,2:3:5,3:5:30,5:2:8,6:6:12");
    f.showPage("SequencingTabSheet");
    QVERIFY(f.click("PresetSeqStartButton"));
    f.form().core().sequencer().PresetSeqTimerTimer(); // on air: step 2
    QVERIFY(f.click("PresetsRecallButton"));
    f.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.form()));
    QVERIFY2(f.form().grab().save(file), qPrintable(file));
    qInfo("Sequencing page: %s", qPrintable(file));
    QVERIFY(f.click("PresetSeqStopButton"));
}

QTEST_MAIN(TestSequencing)
#include "tst_sequencing.moc"
