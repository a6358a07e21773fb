// The route journal against kvemu: one line per route change with its origin, a file per
// day, a folder that cannot be written, and the Route Log window that shows it.

#include "ConsoleFixture.h"
#include "RouteTestSteps.h"

#include "control/ProtectedOutputs.h"

#include "control/RouteJournal.h"
#include "ui/RouteLogModel.h"
#include "ui/RouteLogWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace kv;
using namespace kv::test;

class TestRouteJournal : public QObject {
    Q_OBJECT
private slots:
    void init() { m_folder = FreshRouteLogFolder(); }
    void everyOriginWithItsFromAndTo_data() { AddLinkRows(); }
    void everyOriginWithItsFromAndTo();
    void onlyWhatTheSwitcherAnswered_data() { AddLinkRows(); }
    void onlyWhatTheSwitcherAnswered();
    void unansweredTakeFoundOnAir();
    void nothingWithoutALink();
    void resetWrittenOnceReadAfter_data();
    void resetWrittenOnceReadAfter();
    void readWithdrawsUnderItsCause();
    void fileRoutesNeverLogged();
    void dayFileRollsOverAtMidnight();
    void unwritableFolderLeavesRoutingWorking();
    void routeLogWindowFiltersAndFollows();
    void screenshot();

private:
    QString m_folder;
};

void TestRouteJournal::everyOriginWithItsFromAndTo()
{
    QFETCH(QString, link);
    CONNECT(f, link);
    QTemporaryDir dir;
    const QString config = dir.filePath("routes.kvc");
    QStringList expected;
    auto step = [&](const QString &script, const QStringList &lines) {
        QVERIFY(Operate(*f, script));
        expected << lines;
        QCOMPARE(JournalLines(m_folder).join('\n'), expected.join('\n'));
    };

    step("o3 i5", {"3,,5,temporary,operator"});
    step("T", {"3,,5,taken,operator"});
    step("o3 i7 C", {"3,5,7,temporary,operator", "3,7,5,withdrawn,operator"});
    step("S p2", {}); // nothing pending: the save moves no route
    step("o1 i2 T", {"1,,2,temporary,operator", "1,,2,taken,operator"});
    step("R p2", {}); // a preview leaves the console only when confirmed
    step("OK", {"1,2,,taken,preset 2"});

    step("o1 i4 T", {"1,,4,temporary,operator", "1,,4,taken,operator"});
    f->find<QLineEdit>("PresetSeqEdit3")->setText("2");
    QVERIFY(f->click("PresetSeqEnableCheckBox3"));
    QVERIFY(f->click("PresetSeqStartButton"));
    QVERIFY(f->click("PresetSeqStopButton"));
    expected << "1,4,,taken,sequence step 3";
    QCOMPARE(JournalLines(m_folder), expected);

    f->dialogs.nextFileName(config);
    QVERIFY(f->click("SaveConfigurationtoFile1"));
    step("o2 i6 T", {"2,,6,temporary,operator", "2,,6,taken,operator"});
    f->dialogs.nextFileName(config);
    // A file changes the console, not the switcher: the read finds it as it was.
    step("OpenConfigurationFile1", {});
    step("U", {});
    QCOMPARE(f->emuState("routes").section(',', 0, 2), "-,6,5");

    QFile file(m_folder + "/" + RouteLogFileName(QDate::currentDate()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readLine(), QByteArray("time,output,from,to,state,origin\n"));
    const QString first = QString::fromLatin1(file.readLine());
    QVERIFY2(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d,3,,5,temporary,operator\n$)")
                 .match(first).hasMatch(),
             qPrintable(first));
}

void TestRouteJournal::onlyWhatTheSwitcherAnswered()
{
    QFETCH(QString, link);
    CONNECT(f, link);
    // Silent to everything: the serial retries get no answer either, and the retry box is
    // answered Cancel.
    QCOMPARE(f->emu().sendControl("fault silence"), "ok");
    QVERIFY(Operate(*f, "o3 i7"));
    QCOMPARE(JournalLines(m_folder), QStringList{"3,,7,failed,operator"});
    QCOMPARE(f->emu().sendControl("clear-faults"), "ok");
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(JournalLines(m_folder), (QStringList{"3,,7,failed,operator", "3,,7,taken,operator"}));
}

// A Take the switcher carried out without answering: logged failed, and then as taken once
// following finds it on air. The log's last word on the output is what the switcher holds.
void TestRouteJournal::unansweredTakeFoundOnAir()
{
    CONNECT(f, "tcp");
    f->form().followForThisRun();
    QVERIFY(Operate(*f, "o3 i7"));
    QCOMPARE(f->emu().sendControl("fault silence:TAKE@1"), "ok");
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(JournalLines(m_folder).value(1), "3,,7,failed,operator");
    QTRY_COMPARE(JournalLines(m_folder).value(2), "3,,7,taken,switcher");
    QCOMPARE(f->emuState("routes").section(',', 2, 2), "7");
    QCOMPARE(JournalLines(m_folder).size(), 3);
}

void TestRouteJournal::nothingWithoutALink()
{
    ConsoleFixture f;
    QVERIFY(Operate(f, "o3 i7 T"));
    QCOMPARE(f.text("VideoLabel3"), "7");
    QCOMPARE(JournalLines(m_folder), QStringList{});
}

void TestRouteJournal::resetWrittenOnceReadAfter_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("following");
    QTest::addColumn<QStringList>("lines");
    const QStringList cleared = {"1,3,,taken,factory reset", "2,4,,taken,factory reset"};
    QTest::newRow("factory reset, read") << "FactoryResetButton" << false << cleared;
    QTest::newRow("factory reset, following") << "FactoryResetButton" << true << cleared;
    // Kept routes: nothing moved on air.
    QTest::newRow("reset, read") << "ResetButton" << false << QStringList{};
    QTest::newRow("reset, following") << "ResetButton" << true << QStringList{};
}

// A reset's end is not told by its answer: what it changed is written under its own origin
// once the switcher is read again, by the operator or by following, and only that once.
void TestRouteJournal::resetWrittenOnceReadAfter()
{
    QFETCH(QString, button);
    QFETCH(bool, following);
    QFETCH(QStringList, lines);
    CONNECT(f, "pty");
    f->readAll();
    if (following)
        f->form().followForThisRun();
    QVERIFY(Operate(*f, "o1 i3 o2 i4 T"));
    const qsizetype before = JournalLines(m_folder).size();
    auto readAgain = [&](int expected) {
        if (following)
            QTRY_COMPARE(JournalLines(m_folder).size(), before + expected);
        else
            QVERIFY(Operate(*f, "U"));
    };
    f->dialogs.answer(Dialogs::Answer::Yes);
    QVERIFY(f->click(button));
    readAgain(int(lines.size()));
    if (following)
        QTest::qWait(3 * f->form().timeouts().FollowIntervalMs);
    QCOMPARE(JournalLines(m_folder).mid(before), lines);

    QCOMPARE(f->emu().sendControl("panel route 2 6"), "ok");
    readAgain(int(lines.size()) + 1);
    const QString from = lines.isEmpty() ? "4" : "";
    QCOMPARE(JournalLines(m_folder).mid(before + lines.size()),
             QStringList{"2," + from + ",6,taken," + (following ? "switcher" : "status read")});
}

// A read withdraws what is pending here before it asks: the withdrawal is the asking
// action's, the read's own lines are what it found.
void TestRouteJournal::readWithdrawsUnderItsCause()
{
    CONNECT(f, "pty");
    f->readAll();
    QVERIFY(Operate(*f, "o3 i7"));
    QCOMPARE(f->emu().sendControl("panel route 1 2"), "ok");
    QVERIFY(Operate(*f, "U"));
    QCOMPARE(JournalLines(m_folder), (QStringList{"3,,7,temporary,operator",
                                                  "3,7,,withdrawn,operator",
                                                  "1,,2,taken,status read"}));
}

// Routes a file put on the console are not on the switcher: a later change elsewhere, and the
// read that puts them right, log only what moved there.
void TestRouteJournal::fileRoutesNeverLogged()
{
    CONNECT(f, "pty");
    f->readAll();
    QTemporaryDir dir;
    const QString config = dir.filePath("routes.kvc");
    QVERIFY(Operate(*f, "o1 i3 T"));
    f->dialogs.nextFileName(config);
    QVERIFY(f->click("SaveConfigurationtoFile1"));
    QVERIFY(Operate(*f, "o1 i5 T"));
    const qsizetype before = JournalLines(m_folder).size();
    f->dialogs.nextFileName(config);
    QVERIFY(f->click("OpenConfigurationFile1"));
    QCOMPARE(f->text("VideoLabel1"), "3");
    QVERIFY(Operate(*f, "o2 i4 T"));
    QVERIFY(Operate(*f, "U"));
    QCOMPARE(f->text("VideoLabel1"), "5");
    QCOMPARE(JournalLines(m_folder).mid(before).join('|'),
             QString("2,,4,temporary,operator|2,,4,taken,operator"));
}

void TestRouteJournal::dayFileRollsOverAtMidnight()
{
    CONNECT(f, "pty");
    QDateTime now(QDate(2031, 3, 9), QTime(23, 59, 59, 750));
    f->form().core().journal().setClock([&now] { return now; });
    QVERIFY(Operate(*f, "o4 i2"));
    now = QDateTime(QDate(2031, 3, 10), QTime(0, 0, 0, 125));
    QVERIFY(Operate(*f, "T"));

    auto read = [this](const char *day) {
        QFile file(m_folder + "/" + day);
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).split('\n') : QStringList{};
    };
    const QStringList before = read("2031-03-09.csv"), after = read("2031-03-10.csv");
    QCOMPARE(before.size(), 3); // header, one line, the empty rest after the last newline
    QCOMPARE(after.size(), 3);
    QCOMPARE(before[0], "time,output,from,to,state,origin");
    QCOMPARE(after[0], "time,output,from,to,state,origin");
    QVERIFY2(before[1].startsWith("2031-03-09T23:59:59.750") && before[1].endsWith(",4,,2,temporary,operator"),
             qPrintable(before[1]));
    QVERIFY2(after[1].startsWith("2031-03-10T00:00:00.125") && after[1].endsWith(",4,,2,taken,operator"),
             qPrintable(after[1]));
}

void TestRouteJournal::unwritableFolderLeavesRoutingWorking()
{
    // A plain file where the folder should be: no folder can be made, whoever runs the test.
    QDir().mkpath(QFileInfo(m_folder).path());
    QFile blocker(m_folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    CONNECT(f, "pty");
    f->clearWire();
    QVERIFY(Operate(*f, "o1 i3"));
    QVERIFY2(StatusText(*f).startsWith("Route log cannot be written (")
                 && StatusText(*f).endsWith("): routing goes on"), qPrintable(StatusText(*f)));
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->commands(), (QStringList{"RTEMP 1 3", "TAKE 1"}));
    QCOMPARE(f->emuState("routes").section(',', 0, 0), "3");

    // Said once: later changes route on without a word.
    f->find<QStatusBar>("MainStatusBar")->clearMessage();
    QVERIFY(Operate(*f, "o2 i4 T"));
    QCOMPARE(f->emuState("routes").section(',', 0, 1), "3,4");
    QCOMPARE(StatusText(*f), QString());
}

void TestRouteJournal::routeLogWindowFiltersAndFollows()
{
    CONNECT(f, "pty");
    QVERIFY(Operate(*f, "o1 i1 T o2 i2 T S p1 o1 i5 T R p1 OK"));
    QVERIFY(f->click("RouteLog1"));
    RouteLogWindow *window = f->find<RouteLogWindow>("RouteLogWindow");
    QVERIFY(window && window->isVisible());
    QTableView *table = window->RouteLogTable;
    QCOMPARE(table->objectName(), "RouteLogTable");
    auto row = [table](int r) {
        QStringList cells;
        for (int c = 1; c < RouteLogModel::ColumnCount; ++c)
            cells << table->model()->index(r, c).data().toString();
        return cells.join(',');
    };
    QCOMPARE(table->model()->rowCount(), 7); // the preview left the console only as its take
    QCOMPARE(row(0), "1,5,1,taken,preset 1"); // newest first
    QCOMPARE(row(6), "1,--,1,temporary,operator");

    window->RouteLogOutputFilter->setCurrentIndex(window->RouteLogOutputFilter->findData(2));
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(row(0), "2,--,2,taken,operator");
    window->RouteLogOutputFilter->setCurrentIndex(0);
    window->RouteLogOriginFilter->setCurrentIndex(window->RouteLogOriginFilter->findData("preset"));
    QCOMPARE(table->model()->rowCount(), 1);
    QCOMPARE(row(0), "1,5,1,taken,preset 1");

    // A new change arrives on top while the window is open.
    window->RouteLogOriginFilter->setCurrentIndex(0);
    QVERIFY(Operate(*f, "o6 i9"));
    QCOMPARE(table->model()->rowCount(), 8);
    QCOMPARE(row(0), "6,--,9,temporary,operator");
}

void TestRouteJournal::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    QSettings(kSettingsOrganization, kSettingsApplication).clear();
    CONNECT(f, "pty");
    QVERIFY(Operate(*f, "o1 i1 o2 i3 o3 i3 o4 i2 o5 i8 o7 i6 T S p1 o2 i5 o5 i9 T"));
    QVERIFY(Operate(*f, "ProtectOutputAction1 ProtectOutputAction4 R p1 OK o3 i7 T X o6 i2"));
    f->form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f->form()));
    const QString protect = QFileInfo(file).dir().filePath("protect.png");
    QVERIFY2(f->form().grab().save(protect), qPrintable(protect));

    QVERIFY(f->click("RouteLog1"));
    RouteLogWindow *window = f->find<RouteLogWindow>("RouteLogWindow");
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY2(window->grab().save(file), qPrintable(file));
    qInfo("Route Log window: %s, protected outputs: %s", qPrintable(file), qPrintable(protect));
    QSettings(kSettingsOrganization, kSettingsApplication).clear();
}

QTEST_MAIN(TestRouteJournal)
#include "tst_routejournal.moc"
