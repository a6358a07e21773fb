// Routing from the keyboard on the Video Switching page, against kvemu: the keys run the
// page's own handlers, so the wire carries what the clicks would send. Keys elsewhere are
// left to the control that has the focus.

#include "ConsoleFixture.h"

#include "control/Presets.h"
#include "ui/AboutPage.h"
#include "ui/LabelingPage.h"
#include "ui/SequencingPage.h"
#include "ui/SwitchingPage.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

// Keys, one token each: a digit, E Enter, ^E Ctrl+Enter, X Escape, B Backspace, F1 to F8.
void press(QWidget *target, const QString &script)
{
    for (const QString &t : script.split(' ', Qt::SkipEmptyParts)) {
        if (t == "E")
            QTest::keyClick(target, Qt::Key_Return);
        else if (t == "^E")
            QTest::keyClick(target, Qt::Key_Return, Qt::ControlModifier);
        else if (t == "X")
            QTest::keyClick(target, Qt::Key_Escape);
        else if (t == "B")
            QTest::keyClick(target, Qt::Key_Backspace);
        else if (t.startsWith('F'))
            QTest::keyClick(target, Qt::Key(Qt::Key_F1 + t.mid(1).toInt() - 1));
        else
            QTest::keyClick(target, Qt::Key(Qt::Key_0 + t.toInt()));
    }
}

QString status(ConsoleFixture &f) { return f.find<QStatusBar>("MainStatusBar")->currentMessage(); }

// Presets 2 stored on the switcher and read back, so that its button can be recalled.
void storePreset2(ConsoleFixture &f)
{
    QVERIFY(f.click("OutputButton4"));
    QVERIFY(f.click("InputButton9"));
    QVERIFY(f.click("PresetsSaveButton"));
    QVERIFY(f.click("PresetButton2"));
    f.readAll();
    QVERIFY(PresetIsStored(f.state(), 2));
    f.clearWire();
}

} // namespace

class TestRoutingKeys : public QObject {
    Q_OBJECT
private slots:
    void keysOnTheWire_data();
    void keysOnTheWire();
    void anywhereOnThePage_data();
    void anywhereOnThePage();
    void groupAndBusyRefuse();
    void presetPreview_data() { AddLinkRows(); }
    void presetPreview();
    void otherPagesKeepTheirKeys();
    void toolTipsNameTheKeys();
};

void TestRoutingKeys::keysOnTheWire_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("selected"); // 1-based, 0 for none
    QTest::addColumn<QString>("status");

    QTest::newRow("select and route") << "3 E 7 E" << QStringList{"RTEMP 3 7"} << 3 << "";
    QTest::newRow("two digits each") << "1 2 E 1 0 E" << QStringList{"RTEMP 12 10"} << 12 << "";
    QTest::newRow("leading zero") << "0 3 E 0 7 E" << QStringList{"RTEMP 3 7"} << 3 << "";
    QTest::newRow("take") << "3 E 7 E ^E" << QStringList{"RTEMP 3 7", "TAKE 1"} << 3 << "";
    QTest::newRow("cancel") << "3 E 7 E X" << QStringList{"RTEMP 3 7", "TAKE 0"} << 0 << "";
    QTest::newRow("next number is an output again")
        << "3 E 7 E 5 E 1 E" << QStringList{"RTEMP 3 7", "RTEMP 5 1"} << 5 << "";
    QTest::newRow("output selected, digits shown") << "3 E 1" << QStringList() << 3
                                                   << "Output 3, input: 1";
    QTest::newRow("digits shown") << "1 2" << QStringList() << 0 << "Output: 12";
    QTest::newRow("a third digit is not taken") << "1 2 3" << QStringList() << 0 << "Output: 12";
    QTest::newRow("backspace") << "1 7 B E 4 E" << QStringList{"RTEMP 1 4"} << 1 << "";
    QTest::newRow("enter alone") << "E E" << QStringList() << 0 << "";
    QTest::newRow("no output 17") << "1 7 E" << QStringList() << 0 << "No output 17";
    QTest::newRow("no output 0") << "0 E" << QStringList() << 0 << "No output 0";
    QTest::newRow("no input 17, then a good one")
        << "3 E 1 7 E 5 E" << QStringList{"RTEMP 3 5"} << 3 << "";
    QTest::newRow("no input 17") << "3 E 1 7 E" << QStringList() << 3 << "No input 17";
    QTest::newRow("escape drops the digits") << "3 X" << QStringList() << 0 << "";
}

void TestRoutingKeys::keysOnTheWire()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, commands);
    QFETCH(int, selected);
    QFETCH(QString, status);

    CONNECT(f, "pty");
    f->readAll();
    f->clearWire();
    press(f->find<SwitchingPage>("ControlTabSheet"), keys);
    QCOMPARE(f->commands(), commands);
    QCOMPARE(f->state().SelectedOutput, selected ? selected - 1 : int(UNASSIGNED));
    QCOMPARE(::status(*f), status);
}

// The keys reach the page from any of its controls, the preset panel and the window itself.
void TestRoutingKeys::anywhereOnThePage_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("output button") << "OutputButton1";
    QTest::newRow("reclocker box") << "ReclockerCheckBox2";
    QTest::newRow("take button") << "TakeButton";
    QTest::newRow("preset panel") << "PresetsRecallButton";
    QTest::newRow("window") << "MatrixForm";
}

void TestRoutingKeys::anywhereOnThePage()
{
    QFETCH(QString, focus);
    CONNECT(f, "tcp");
    QWidget *target = focus == "MatrixForm" ? &f->form() : f->find(focus);
    QVERIFY(target);
    press(target, "6 E 2 E ^E");
    QCOMPARE(f->commands(), (QStringList{"RTEMP 6 2", "TAKE 1"}));
    QCOMPARE(f->text("VideoLabel6"), "2");
}

// Output 1 is in group 1 with inputs 3 and 4: other inputs are refused as a click on their
// greyed buttons is. While an exchange holds Busy no key does anything.
void TestRoutingKeys::groupAndBusyRefuse()
{
    CONNECT(f, "pty");
    GroupTable &g = f->state().Groups;
    g.GroupMemberCount[0] = 3;
    g.GroupOutputCount[0] = 1;
    g.GroupInputCount[0] = 2;
    g.OutputGroup[0] = 0;
    g.GroupInputs[0][2] = g.GroupInputs[0][3] = 0;
    QWidget *page = f->find<SwitchingPage>("ControlTabSheet");

    press(page, "1 E 5 E");
    QCOMPARE(f->commands(), QStringList());
    QCOMPARE(status(*f), "Input 5 is not in the group of output 1");
    press(page, "4 E");
    QCOMPARE(f->commands(), QStringList{"RTEMP 1 4"});
    // Output 2 is in no group: the grouped inputs are not for it.
    press(page, "2 E 3 E");
    QCOMPARE(f->commands(), QStringList{"RTEMP 1 4"});
    QCOMPARE(status(*f), "Input 3 is not in the group of output 2");

    f->clearWire();
    f->state().Busy = 1;
    press(page, "X 5 E 6 E ^E F1");
    f->state().Busy = 0;
    QCOMPARE(f->commands(), QStringList());
    QCOMPARE(f->state().SelectedOutput, 1);
}

// F2 is Recall and the preset's button: a preview, nothing sent; Ctrl+Enter confirms it as
// Take does. F5 names a preset never stored; F2 while saving would store, so it is refused.
void TestRoutingKeys::presetPreview()
{
    QFETCH(QString, link);
    CONNECT(f, link);
    f->readAll();
    storePreset2(*f);
    QVERIFY(f->click("CancelTakeButton"));
    QVERIFY(f->click("OutputButton4"));
    QVERIFY(f->click("InputButton1"));
    QVERIFY(f->click("TakeButton"));
    f->clearWire();
    QWidget *page = f->find<SwitchingPage>("ControlTabSheet");

    press(page, "F5");
    QCOMPARE(status(*f), "Preset 5 is not stored");
    QCOMPARE(f->state().PresetPreviewPending, 0);

    press(page, "F2");
    QCOMPARE(f->commands(), QStringList());
    QCOMPARE(f->state().PresetPreviewPending, 1);
    QCOMPARE(f->text("VideoLabel4"), "9");
    QVERIFY(f->isEnabled("PresetRecallConfirmButton"));
    press(page, "X");
    QCOMPARE(f->state().PresetPreviewPending, 0);
    QCOMPARE(f->text("VideoLabel4"), "1");
    QCOMPARE(f->commands(), QStringList()); // the switcher never saw the preview

    press(page, "F2 ^E");
    // Sent over Ethernet without waiting for its answer: the log may lag the return.
    QTRY_COMPARE(f->commands(), QStringList{"RPRST 2 1"});
    QCOMPARE(f->emuState("routes").split(',').value(3), "9");

    QVERIFY(f->click("PresetsSaveButton"));
    f->clearWire();
    press(page, "F2");
    QCOMPARE(status(*f), "Preset save open: cancel it first");
    QCOMPARE(f->commands(), QStringList());
    QVERIFY(f->isEnabled("PresetSaveCancelButton"));
}

void TestRoutingKeys::otherPagesKeepTheirKeys()
{
    CONNECT(f, "pty");
    // Digits typed before leaving the page are forgotten.
    press(f->find<SwitchingPage>("ControlTabSheet"), "3 E 5");
    f->showPage("AboutTabSheet");
    f->showPage("ControlTabSheet");
    press(f->find<SwitchingPage>("ControlTabSheet"), "E");
    QCOMPARE(f->state().SelectedOutput, int(UNASSIGNED));
    QCOMPARE(f->commands(), QStringList());

    f->showPage("LabelTabSheet");
    auto *edit = f->find<QLineEdit>("InputLabelEdit3");
    edit->clear();
    QTest::keyClicks(edit, "12");
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), "12");
    // On another page even a button leaves the keys alone.
    press(f->find("ResetInputLabelsButton"), "3 E 7 E ^E");
    QCOMPARE(f->commands(), QStringList());
    QCOMPARE(f->state().SelectedOutput, int(UNASSIGNED));
    QCOMPARE(status(*f), "");

    f->showPage("SequencingTabSheet");
    auto *step = f->find<QLineEdit>("PresetSeqEdit2");
    QVERIFY(step);
    step->setEnabled(true); // as a ticked step has it
    step->clear();
    QTest::keyClicks(step, "15");
    QCOMPARE(step->text(), "15");
    QCOMPARE(f->commands(), QStringList());
}

void TestRoutingKeys::toolTipsNameTheKeys()
{
    ConsoleFixture f;
    auto tip = [&f](const QString &name) { return f.find(name)->toolTip(); };
    for (int n = 1; n <= 16; ++n) {
        QVERIFY(tip(QString("OutputButton%1").arg(n)).contains(QString("%1 Enter").arg(n)));
        QVERIFY(tip(QString("InputButton%1").arg(n)).contains(QString("%1 Enter").arg(n)));
    }
    QVERIFY(tip("TakeButton").contains("Ctrl+Enter"));
    QVERIFY(tip("CancelTakeButton").contains("Esc"));
    for (int n = 1; n <= 8; ++n)
        QVERIFY(tip(QString("PresetButton%1").arg(n)).contains(QString("F%1 ").arg(n)));
}

QTEST_MAIN(TestRoutingKeys)
#include "tst_routingkeys.moc"
