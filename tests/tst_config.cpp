// The configuration file: the record byte for byte, labels in their slots, the size check,
// open and save through the File menu, and files that must never do harm.

#include "ConsoleFixture.h"
#include "OperatorSteps.h"
#include "TestFiles.h"
#include "Texts.h"

#include "app/MatrixForm.h"
#include "config/ConfigFile.h"
#include "ui/Colours.h"

#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using namespace kv;
using namespace kv::test;

namespace {

// The file a console writes right after start-up, spelled out byte by byte.
QByteArray startUpFile()
{
    QByteArray b;
    b.append('\0'); // reserved
    for (int o = 0; o < 16; ++o)
        b.append(char(252)).append(char(1));
    b.append(QByteArray(24, '\0'));     // the three counts of eight groups
    b.append(QByteArray(144, char(252))); // group inputs and output groups
    b.append(QByteArray(2, '\0'));      // spare
    b.append(QByteArray(11, '\0'));     // reserved
    auto labels = [&b](int count) {
        for (int n = 1; n <= count; ++n) {
            QByteArray slot = QByteArray::number(n);
            slot.append(QByteArray(6 - slot.size(), '\0'));
            b.append(slot);
        }
    };
    labels(16);
    b.append(QByteArray(6, '\0'));
    labels(16);
    b.append(QByteArray(6, '\0'));
    labels(8);
    b.append(QByteArray(6, '\0'));
    labels(8);
    return b;
}

} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void labelSlots_data();
    void labelSlots();
    void fileAfterStartUp();
    void labelsReadBack();
    void wrongFilesRefused_data();
    void wrongFilesRefused();
    void pendingRouteAndGroupsComeBack();
    void openingLetsCommandsThrough();
    void eightByEight();
    void anyBytesOpenWithoutHarm_data();
    void anyBytesOpenWithoutHarm();
    void cancelledDialogsDoNothing();
};

void TestConfig::labelSlots_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("readBack");

    const QByteArray full("ABCDEF", 6);
    QTest::newRow("six characters fill the slot") << QByteArray(6, '\0') << "ABCDEF" << full << "ABCDEF";
    QTest::newRow("one character, rest left as it was")
        << full << "X" << QByteArray("X\0CDEF", 6) << "X";
    QTest::newRow("empty label") << full << "" << QByteArray("\0BCDEF", 6) << "";
    QTest::newRow("latin-1 stays one byte") << QByteArray(6, '\0') << QString::fromUtf8("Café")
                                            << QByteArray("Caf\xE9\0\0", 6) << QString::fromUtf8("Café");
    QTest::newRow("outside latin-1 becomes ?")
        << QByteArray(6, '\0') << QString::fromUtf8("Ω1") << QByteArray("?1\0\0\0\0", 6) << "?1";
    QTest::newRow("surrogate pair is one character")
        << full << QString::fromUtf8("\xF0\x9F\x98\x80" "ab") << QByteArray("?ab\0EF", 6) << "?ab";
    QTest::newRow("never beyond the slot")
        << QByteArray(6, '\0') << "ABCDEFGH" << full << "ABCDEF";
}

void TestConfig::labelSlots()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, label);
    QFETCH(QByteArray, after);
    QFETCH(QString, readBack);

    // The slot sits between guard bytes that must survive.
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    auto *slot = reinterpret_cast<char(*)[kLabelSize]>(buffer + 1);
    std::memcpy(*slot, before.constData(), 6);
    StoreLabel(*slot, label);
    QCOMPARE(QByteArray(*slot, 6), after);
    QCOMPARE(buffer[0], '#');
    QCOMPARE(buffer[7], '#');
    QCOMPARE(LoadLabel(*slot), readBack);
}

void TestConfig::fileAfterStartUp()
{
    ConsoleFixture f;
    const QByteArray expected = startUpFile();
    QCOMPARE(expected.size(), 520);
    // Config holds the edits' texts from the start, before anything is saved.
    const QByteArray config(reinterpret_cast<const char *>(&f.state().Config), 520);
    QCOMPARE(config.mid(203), expected.mid(203));

    QTemporaryDir dir;
    const QString path = dir.filePath("start.kvc");
    QVERIFY(SaveConfigFile(f, path));
    QCOMPARE(f.dialogs.boxes.size(), 0);
    QCOMPARE(ReadFile(path), expected);
}

void TestConfig::labelsReadBack()
{
    ConsoleFixture f;
    QTemporaryDir dir;

    // Typed labels are saved into their slots.
    f.find<QLineEdit>("InputLabelEdit1")->setText("ABCDEF");
    f.find<QLineEdit>("InputLabelEdit2")->setText("X");
    const QString saved = dir.filePath("saved.kvc");
    QVERIFY(SaveConfigFile(f, saved));
    const QByteArray bytes = ReadFile(saved);
    QCOMPARE(bytes.mid(214, 6), QByteArray("ABCDEF"));
    QCOMPARE(bytes.mid(220, 6), QByteArray("X\0\0\0\0\0", 6));

    // And a file's labels come back into the edits and onto the buttons; the bytes after a
    // slot's NUL mean nothing.
    QByteArray file = startUpFile();
    file.replace(214, 12, QByteArray("ABCDEFX\0ZZZZ", 12));
    file.replace(316 + 6 * 11, 6, QByteArray("OUT12\0", 6));
    file.replace(418 + 6 * 1, 6, QByteArray("NEWS\0\0", 6));
    file.replace(472 + 6 * 7, 6, QByteArray("LAST\0\0", 6));
    const QString path = dir.filePath("labels.kvc");
    QVERIFY(WriteFile(path, file));

    ConsoleFixture g;
    QVERIFY(OpenConfigFile(g, path));
    QCOMPARE(g.dialogs.texts(), QStringList{texts::kConfigOpened});
    QCOMPARE(g.text("InputLabelEdit1"), QString("ABCDEF"));
    QCOMPARE(g.text("InputLabelEdit2"), QString("X"));
    QCOMPARE(g.text("InputButton1"), QString("ABCDEF"));
    QCOMPARE(g.text("GroupInputButton2"), QString("X"));
    QCOMPARE(g.text("OutputLabelEdit12"), QString("OUT12"));
    QCOMPARE(g.text("OutputButton12"), QString("OUT12"));
    QCOMPARE(g.text("GroupOutputButton12"), QString("OUT12"));
    QCOMPARE(g.text("GroupExistCheckBox2"), QString("Group 2 (NEWS)"));
    QCOMPARE(g.text("PresetButton8"), QString("LAST"));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&g.state().Config), 520), file);
}

void TestConfig::wrongFilesRefused_data()
{
    QTest::addColumn<int>("size"); // -1: no such file
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << 0 << texts::kConfigSizeError;
    QTest::newRow("519 bytes") << 519 << texts::kConfigSizeError;
    QTest::newRow("521 bytes") << 521 << texts::kConfigSizeError;
    QTest::newRow("missing") << -1 << texts::kConfigOpenError;
}

void TestConfig::wrongFilesRefused()
{
    QFETCH(int, size);
    QFETCH(QString, message);

    ConsoleFixture f;
    QTemporaryDir dir;
    const QString path = dir.filePath("wrong.kvc");
    if (size >= 0)
        QVERIFY(WriteFile(path, QByteArray(size, char(0x41))));

    f.find<QLineEdit>("InputLabelEdit1")->setText("KEEP");
    f.state().SuppressCommands = 1;
    const QByteArray before = BytesOf(f.state());
    QVERIFY(OpenConfigFile(f, path));

    QCOMPARE(f.dialogs.texts(), QStringList{message});
    QCOMPARE(f.dialogs.boxes.first().title, texts::kAppTitle);
    QCOMPARE(BytesOf(f.state()), before); // Config, routes, groups and the flag as they were
    QCOMPARE(f.text("InputLabelEdit1"), QString("KEEP"));
    QCOMPARE(f.text("InputButton1"), QString("1"));
}

void TestConfig::pendingRouteAndGroupsComeBack()
{
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.readAll();

    // Output 2 in group 1, output 3 pending on input 7.
    QVERIFY(f.click("GroupOutputButton2"));
    QVERIFY(f.click("OutputButton3"));
    QVERIFY(f.click("InputButton7"));
    QTemporaryDir dir;
    const QString path = dir.filePath("pending.kvc");
    QVERIFY(SaveConfigFile(f, path));
    QCOMPARE(ReadFile(path).mid(1 + 2 * 2, 2), QByteArray("\x06\x00", 2));

    // Withdraw both on the switcher and the console, then open the file again.
    QVERIFY(f.click("CancelTakeButton"));
    QVERIFY(f.click("GroupingRemoveAllButton"));
    QCOMPARE(f.text("VideoLabel3"), QString("--"));
    QVERIFY(!f.isChecked("GroupExistCheckBox1"));
    const QString switcherBefore = f.emuState("routes") + f.emuState("groups");
    f.clearWire();
    f.dialogs.clear();

    QVERIFY(OpenConfigFile(f, path));
    QCOMPARE(f.dialogs.texts(), QStringList{texts::kConfigOpened});
    QCOMPARE(f.state().Routes[2].Input, std::uint8_t(6));
    QCOMPARE(f.state().Routes[2].Taken, std::uint8_t(0));
    QCOMPARE(f.text("VideoLabel3"), QString("7"));
    QCOMPARE(f.colour("VideoLabel3"), kRed);
    QCOMPARE(f.state().Groups.OutputGroup[1], std::uint8_t(0));
    QVERIFY(f.isChecked("GroupExistCheckBox1"));
    QCOMPARE(f.colour("GroupOutputButton2"), kYellow);
    QCOMPARE(f.state().SuppressCommands, std::uint8_t(0));
    // The switcher knows nothing of it.
    QCOMPARE(f.wire(), QStringList());
    QCOMPARE(f.emuState("routes") + f.emuState("groups"), switcherBefore);
}

void TestConfig::openingLetsCommandsThrough()
{
    // Right after start-up nothing is sent until the state is read or a file opened.
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.state().SuppressCommands = 1;
    QTemporaryDir dir;
    const QString path = dir.filePath("start.kvc");
    QVERIFY(WriteFile(path, startUpFile()));

    QVERIFY(f.click("ReclockerCheckBox4"));
    QVERIFY(f.click("FrontPanelLockCheckBox"));
    QCOMPARE(f.commands(), QStringList());
    QVERIFY(OpenConfigFile(f, path));
    QCOMPARE(f.state().SuppressCommands, std::uint8_t(0));
    QVERIFY(f.click("ReclockerCheckBox4"));
    const QString reclock = QString("RCLOCK 4 %1").arg(f.isChecked("ReclockerCheckBox4") ? 1 : 0);
    QVERIFY(f.click("FrontPanelLockCheckBox"));
    QCOMPARE(f.commands(), (QStringList{reclock, "FPLOCK 0"}));
}

void TestConfig::eightByEight()
{
    CONNECT(f, "pty", kv::test::EmuProcess::Options().withModel(10));
    f->readAll();
    QCOMPARE(f->state().InputCount, std::int16_t(8));

    // Slots beyond the model keep what Config held, whatever the greyed edit says.
    f->find<QLineEdit>("InputLabelEdit9")->setText("NINE");
    f->find<QLineEdit>("InputLabelEdit8")->setText("EIGHT");
    QTemporaryDir dir;
    const QString path = dir.filePath("eight.kvc");
    QVERIFY(SaveConfigFile(*f, path));
    const QByteArray bytes = ReadFile(path);
    QCOMPARE(bytes.mid(214 + 6 * 7, 6), QByteArray("EIGHT\0", 6));
    QCOMPARE(bytes.mid(214 + 6 * 8, 6), QByteArray("9\0\0\0\0\0", 6));

    // Opening fills all sixteen edits and every button, outputs 9 to 16 included.
    QByteArray file = startUpFile();
    file.replace(214 + 6 * 12, 6, QByteArray("IN13\0\0", 6));
    file.replace(316 + 6 * 11, 6, QByteArray("OUT12\0", 6));
    QVERIFY(WriteFile(path, file));
    f->clearWire();
    QVERIFY(OpenConfigFile(*f, path));
    QCOMPARE(f->text("InputLabelEdit13"), QString("IN13"));
    QCOMPARE(f->text("OutputLabelEdit12"), QString("OUT12"));
    QCOMPARE(f->text("OutputButton12"), QString("OUT12"));
    QCOMPARE(f->text("GroupOutputButton12"), QString("OUT12"));
    QCOMPARE(f->wire(), QStringList());
}

void TestConfig::anyBytesOpenWithoutHarm_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("zeros") << QByteArray(520, '\0');
    QTest::newRow("0xff") << QByteArray(520, char(0xff));
    QTest::newRow("0x7f") << QByteArray(520, char(0x7f)); // counts at their largest
    for (quint32 seed : {1u, 2u, 3u}) {
        QByteArray b(520, '\0');
        QRandomGenerator rng(seed);
        for (char &c : b)
            c = char(rng.bounded(256));
        QTest::newRow(qPrintable(QString("random %1").arg(seed))) << b;
    }
}

void TestConfig::anyBytesOpenWithoutHarm()
{
    QFETCH(QByteArray, file);
    ConsoleFixture f;
    QTemporaryDir dir;
    const QString path = dir.filePath("any.kvc");
    QVERIFY(WriteFile(path, file));

    QVERIFY(OpenConfigFile(f, path));
    QCOMPARE(f.dialogs.texts(), QStringList{texts::kConfigOpened});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&f.state().Config), 520), file);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(f.state().Routes), 32), file.mid(1, 32));
    for (int n = 1; n <= 16; ++n)
        QVERIFY(f.text(QString("InputLabelEdit%1").arg(n)).size() <= 6);

    // The operator goes on working with whatever the file held.
    for (int n = 1; n <= 16; ++n) {
        f.click(QString("OutputButton%1").arg(n));
        f.click(QString("InputButton%1").arg(17 - n));
        f.click(QString("GroupOutputButton%1").arg(n));
        f.click(QString("GroupInputButton%1").arg(n));
    }
    f.click("GroupingRemoveButton");
    f.click("TakeButton");
    f.click("CancelTakeButton");
    // And saves it again: the reserved bytes it brought are carried unchanged.
    const QString again = dir.filePath("again.kvc");
    QVERIFY(SaveConfigFile(f, again));
    const QByteArray out = ReadFile(again);
    QCOMPARE(out.size(), 520);
    QCOMPARE(out.at(0), file.at(0));
    QCOMPARE(out.mid(203, 11), file.mid(203, 11));
    QCOMPARE(out.mid(310, 6), file.mid(310, 6));
    QCOMPARE(out.mid(412, 6), file.mid(412, 6));
    QCOMPARE(out.mid(214), file.mid(214)); // labels round-trip byte for byte too
}

void TestConfig::cancelledDialogsDoNothing()
{
    ConsoleFixture f;
    f.state().SuppressCommands = 1;
    f.find<QLineEdit>("InputLabelEdit1")->setText("TYPED");
    const QByteArray before = BytesOf(f.state());
    QVERIFY(f.click("OpenConfigurationFile1")); // no name queued: cancelled
    QVERIFY(f.click("SaveConfigurationtoFile1"));
    QCOMPARE(BytesOf(f.state()), before);
    QCOMPARE(f.dialogs.boxes.size(), 0);
}

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
