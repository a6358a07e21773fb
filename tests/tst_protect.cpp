// Protected outputs against kvemu: the padlock and its menu item, refused clicks, Clear All
// Routing around them, and the question before a recall or a sequence would change them.

#include "ConsoleFixture.h"
#include "RouteTestSteps.h"

#include "control/ProtectedOutputs.h"

#include "control/Sequencer.h"
#include "ui/HoldMarks.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

bool Protect(ConsoleFixture &f, int n)
{
    auto *a = f.find<QAction>(QString("ProtectOutputAction%1").arg(n));
    if (!a || !a->text().startsWith("Protect Output"))
        return false;
    a->trigger();
    return true;
}

bool Padlocked(ConsoleFixture &f, int n)
{
    return !f.find<SwitchingPage>("ControlTabSheet")->outputButton(n)->icon().isNull();
}

} // namespace

class TestProtect : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        FreshRouteLogFolder();
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
    }
    void protectShowsAPadlockAndIsRemembered();
    void inputClickOnAProtectedOutputChangesNothing();
    void clearAllKeepsProtectedOutputsOnTheSwitcher_data() { AddLinkRows(); }
    void clearAllKeepsProtectedOutputsOnTheSwitcher();
    void recallAndSequenceAskFirst_data();
    void recallAndSequenceAskFirst();
};

void TestProtect::protectShowsAPadlockAndIsRemembered()
{
    {
        CONNECT(f, "pty");
        QVERIFY(!Padlocked(*f, 3));
        QVERIFY(Protect(*f, 3));
        QVERIFY(Padlocked(*f, 3));
        QCOMPARE(f->find<QAction>("ProtectOutputAction3")->text(), "Release Output 3");
        QCOMPARE(f->find<SwitchingPage>("ControlTabSheet")->outputButton(3)->contextMenuPolicy(),
                 Qt::ActionsContextMenu);
        // From the keyboard: the selected output.
        QVERIFY(Operate(*f, "o5 ProtectSelected1"));
        QVERIFY(Padlocked(*f, 5));
    }
    CONNECT(f, "pty");
    QVERIFY(Padlocked(*f, 3));
    QVERIFY(Padlocked(*f, 5));
    f->find<QAction>("ProtectOutputAction3")->trigger();
    QVERIFY(!Padlocked(*f, 3));
    QCOMPARE(f->find<QAction>("ProtectOutputAction3")->text(), "Protect Output 3");
}

void TestProtect::inputClickOnAProtectedOutputChangesNothing()
{
    CONNECT(f, "pty");
    QVERIFY(Operate(*f, "o3 i5 T"));
    QVERIFY(Protect(*f, 3));
    f->clearWire();
    QVERIFY(Operate(*f, "o3 i7"));
    QCOMPARE(StatusText(*f), "Output 3 is protected");
    QVERIFY(Operate(*f, "i5")); // its own input: no disconnect either
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->text("VideoLabel3"), "5");
    QCOMPARE(f->state().Routes[2].Taken, 1);
}

void TestProtect::clearAllKeepsProtectedOutputsOnTheSwitcher()
{
    QFETCH(QString, link);
    CONNECT(f, link);
    QVERIFY(Operate(*f, "o1 i1 o2 i2 o3 i3 o4 i4 T"));
    QVERIFY(Protect(*f, 2));
    QVERIFY(Protect(*f, 4));
    f->clearWire();
    QVERIFY(Operate(*f, "X"));
    QStringList sent;
    for (int o = 1; o <= 16; ++o)
        if (o != 2 && o != 4)
            sent << QString("RTEMP %1 0").arg(o);
    sent << "TAKE 1";
    QCOMPARE(f->commands(), sent);
    QCOMPARE(f->emuState("routes").section(',', 0, 4), "-,2,-,4,-");
    QCOMPARE(f->text("VideoLabel2"), "2");
    QCOMPARE(f->text("VideoLabel1"), "--");
    QVERIFY2(StatusText(*f).contains("protected output(s) 2, 4"), qPrintable(StatusText(*f)));
}

void TestProtect::recallAndSequenceAskFirst_data()
{
    QTest::addColumn<QString>("before"); // steps before the protect
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("Confirm, No") << "" << "R p1 OK" << false << QStringList{};
    QTest::newRow("Confirm, Yes") << "" << "R p1 OK" << true << QStringList{"RPRST 1 1"};
    QTest::newRow("Take of a preview, No") << "" << "R p1 T" << false << QStringList{};
    QTest::newRow("sequence Start, No") << "" << "start" << false << QStringList{};
    QTest::newRow("undo over it, No") << "" << "Z T" << false << QStringList{};
    QTest::newRow("Take of a route made before, No") << "o2 i3" << "T" << false << QStringList{};
    QTest::newRow("Take of a route made before, Yes") << "o2 i3" << "T" << true << QStringList{"TAKE 1"};
}

void TestProtect::recallAndSequenceAskFirst()
{
    QFETCH(QString, before);
    QFETCH(QString, action);
    QFETCH(bool, yes);
    QFETCH(QStringList, sent);
    CONNECT(f, "pty");
    // Preset 1 has output 2 on input 2; the switcher then has it on input 5.
    QVERIFY(Operate(*f, "o1 i1 o2 i2 T S p1 o2 i5 T " + before));
    QVERIFY(Protect(*f, 2));
    f->clearWire();
    f->dialogs.answer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    if (action == "start") {
        f->find<QLineEdit>("PresetSeqEdit1")->setText("1");
        QVERIFY(f->click("PresetSeqEnableCheckBox1"));
        QVERIFY(f->click("PresetSeqStartButton"));
        QVERIFY(!f->form().core().sequencer().running());
    } else {
        QVERIFY(Operate(*f, action));
    }
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QVERIFY2(f->dialogs.boxes[0].text.contains("protected output(s) 2."), qPrintable(f->dialogs.boxes[0].text));
    QCOMPARE(f->commands(), sent);
    const QString taken = f->emuState("routes").section(',', 1, 1).section('*', -1);
    QCOMPARE(taken, yes ? (before.isEmpty() ? "2" : "3") : "5");
}

QTEST_MAIN(TestProtect)
#include "tst_protect.moc"
