// Label files: the CSV reader and writer from byte literals, and the File menu's Export
// Labels... and Import Labels... on the real window, with real files written and read back.

#include "ConsoleFixture.h"
#include "TestFiles.h"

#include "config/LabelCsv.h"
#include "ui/LabelingPage.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

// The 48 edits and the captions that show them, in one list.
QStringList labelsAndCaptions(ConsoleFixture &f)
{
    QStringList all;
    for (int n = 1; n <= 16; ++n) {
        for (const char *name : {"InputLabelEdit", "OutputLabelEdit", "InputButton",
                                 "GroupInputButton", "OutputButton", "GroupOutputButton"})
            all << f.text(name + QString::number(n));
    }
    for (int n = 1; n <= 8; ++n) {
        for (const char *name :
             {"GroupLabelEdit", "PresetLabelEdit", "GroupExistCheckBox", "PresetButton"})
            all << f.text(name + QString::number(n));
    }
    return all;
}

} // namespace

class TestLabelFiles : public QObject {
    Q_OBJECT
private slots:
    void roundTrip();
    void written();
    void spreadsheetFile();
    void refused_data();
    void refused();
    void exportAndImportOnTheWindow();
    void badFileChangesNoLabel_data();
    void badFileChangesNoLabel();
    void failedExportSaysSo();
};

// Labels with the characters CSV must protect, and text beyond ASCII, come back as they were.
void TestLabelFiles::roundTrip()
{
    const QList<LabelRow> rows = {
        {0, 1, "a,b"},      {0, 16, "\"q\""},       {1, 2, "x\ny"},   {1, 3, "l1\r\nl2"},
        {2, 8, QString()},  {3, 1, u"Zürich"_qs},   {3, 2, u"日本語"_qs}, {3, 3, u"🎥 4"_qs},
        {2, 1, " lead "},   {1, 16, "\",\"\r"},
    };
    const LabelCsvResult back = ReadLabelCsv(WriteLabelCsv(rows));
    QVERIFY2(back.ok(), qPrintable(back.reason));
    QCOMPARE(back.rows, rows);
}

void TestLabelFiles::written()
{
    const QByteArray bytes = WriteLabelCsv({{0, 3, "CAM 1"}, {2, 2, "a,\"b\""}, {3, 8, u"é"_qs}});
    QCOMPARE(bytes, QByteArray("kind,number,label\r\n"
                               "input,3,CAM 1\r\n"
                               "group,2,\"a,\"\"b\"\"\"\r\n"
                               "preset,8,\xC3\xA9\r\n"));
}

// As a spreadsheet saves it: a byte-order mark, CRLF, capitals, rows in any order, empty
// rows, blanks around kinds and numbers.
void TestLabelFiles::spreadsheetFile()
{
    const LabelCsvResult r = ReadLabelCsv("\xEF\xBB\xBFKind,Number,Label\r\n"
                                          "Preset,8,LAST\r\n"
                                          ",,\r\n"
                                          " input , 2 ,\"A \"\"B\"\"\"\r\n"
                                          "\r\n"
                                          "OUTPUT,16,\r\n"
                                          ",,\r\n");
    QVERIFY2(r.ok(), qPrintable(r.reason));
    QCOMPARE(r.rows, (QList<LabelRow>{{3, 8, "LAST"}, {0, 2, "A \"B\""}, {1, 16, ""}}));
}

void TestLabelFiles::refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    const QByteArray head = "kind,number,label\n";
    QTest::newRow("unknown kind") << head + "input,1,A\ncamera,2,B\n" << 3 << "unknown kind";
    QTest::newRow("input 17") << head + "input,17,A\n" << 2 << "no input";
    QTest::newRow("output 0") << head + "output,0,A\n" << 2 << "no output";
    QTest::newRow("group 9") << head + "group,9,A\n" << 2 << "no group";
    QTest::newRow("preset 9") << head + "preset,9,A\n" << 2 << "no preset";
    QTest::newRow("not a whole number") << head + "input,3.0,A\n" << 2 << "no input";
    QTest::newRow("negative") << head + "input,-1,A\n" << 2 << "no input";
    QTest::newRow("no number") << head + "input,,A\n" << 2 << "no input";
    QTest::newRow("seven characters") << head + "input,1,ABCDEFG\n" << 2 << "longer than six";
    QTest::newRow("seven beyond ASCII")
        << head + "input,1,\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\n" << 2
        << "longer than six";
    QTest::newRow("given twice") << head + "input,1,A\ngroup,1,B\nINPUT,1,C\n" << 4
                                 << "given twice";
    QTest::newRow("two fields") << head + "input,1\n" << 2 << "2 fields";
    QTest::newRow("four fields") << head + "input,1,A,B\n" << 2 << "4 fields";
    QTest::newRow("quote never closed") << head + "input,1,\"AB\ninput,2,C\n" << 2 << "quote";
    QTest::newRow("text after the quote") << head + "input,1,\"A\"B\n" << 2 << "quote";
    QTest::newRow("quote inside a field") << head + "input,1,A\"B\n" << 2 << "quote";
    QTest::newRow("not UTF-8") << head + "input,1,\xE9t\xE9\n" << 2 << "UTF-8";
    QTest::newRow("no header") << QByteArray("input,1,A\n") << 1 << "header";
    QTest::newRow("empty file") << QByteArray() << 1 << "header";
    QTest::newRow("lines counted inside quotes")
        << head + "input,1,\"a\nb\"\r\ninput,2,\"c\r\nd\"\ninput,3,ABCDEFG\n" << 6 << "longer";
    QTest::newRow("after blank lines") << head + "\n\ninput,1,A\nfoo,1,A\n" << 5 << "unknown";
}

void TestLabelFiles::refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const LabelCsvResult r = ReadLabelCsv(bytes);
    QCOMPARE(r.badLine, line);
    QVERIFY2(r.reason.contains(reason), qPrintable(r.reason));
    QVERIFY(r.rows.isEmpty());
}

// Export writes what the edits hold; Import puts a file's labels into the edits and onto the
// captions of every page, as typing and leaving each edit does; labels it does not name stay.
void TestLabelFiles::exportAndImportOnTheWindow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("labels.csv");
    ConsoleFixture f;
    LabelingPage &page = *f.find<LabelingPage>("LabelTabSheet");
    page.setLabelText(LabelKind::Input, 3, "a,b");
    page.setLabelText(LabelKind::Output, 12, u"Ωmega"_qs);
    page.setLabelText(LabelKind::Group, 2, "\"N\"");
    page.setLabelText(LabelKind::Preset, 8, "x\ny");
    f.dialogs.nextFileName(path);
    QVERIFY(f.click("ExportLabels1"));
    const QByteArray written = ReadFile(path);
    QVERIFY(written.startsWith("kind,number,label\r\ninput,1,1\r\n"));
    QCOMPARE(written.count('\n'), 49 + 1); // header, 48 rows, one line break inside a label
    QVERIFY(f.dialogs.texts().isEmpty());

    for (LabelKind kind : kLabelKinds) {
        for (int n = 1; n <= LabelCountOf(kind); ++n)
            page.setLabelText(kind, n, "-");
    }
    f.dialogs.nextFileName(path);
    QVERIFY(f.click("ImportLabels1"));
    QVERIFY(f.dialogs.texts().isEmpty());
    QCOMPARE(f.text("InputLabelEdit3"), "a,b");
    QCOMPARE(f.text("InputButton3"), "a,b");
    QCOMPARE(f.text("GroupInputButton3"), "a,b");
    QCOMPARE(f.text("OutputButton12"), u"Ωmega"_qs);
    QCOMPARE(f.text("GroupOutputButton12"), u"Ωmega"_qs);
    QCOMPARE(f.text("GroupExistCheckBox2"), "Group 2 (\"N\")");
    QCOMPARE(f.text("PresetLabelEdit8"), "x\ny");
    QCOMPARE(f.text("PresetButton8"), "x\ny");
    QCOMPARE(f.text("OutputButton16"), "16");

    // A subset, in any order: only the rows given change.
    QVERIFY(WriteFile(path, "kind,number,label\npreset,1,P1\ninput,16,LAST\n"));
    f.dialogs.nextFileName(path);
    QVERIFY(f.click("ImportLabels1"));
    QCOMPARE(f.text("PresetButton1"), "P1");
    QCOMPARE(f.text("InputButton16"), "LAST");
    QCOMPARE(f.text("InputButton3"), "a,b");
}

void TestLabelFiles::badFileChangesNoLabel_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("box");
    const QByteArray good = "kind,number,label\ninput,1,NEW\noutput,1,NEW\n";
    QTest::newRow("unknown kind") << good + "camera,1,A\n"
                                  << "Labels not imported: line 4: unknown kind \"camera\".";
    QTest::newRow("out of range") << good + "group,9,A\n"
                                  << "Labels not imported: line 4: no group \"9\".";
    QTest::newRow("too long") << good + "preset,1,1234567\n"
                              << "Labels not imported: line 4: label longer than six characters.";
    QTest::newRow("malformed") << good + "input,2,\"A\n"
                               << "Labels not imported: line 4: a quote out of place.";
    QTest::newRow("binary") << QByteArray("\x00\xFF\x01,\n", 5)
                            << "Labels not imported: line 1: not UTF-8 text.";
}

void TestLabelFiles::badFileChangesNoLabel()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, box);
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.csv");
    QVERIFY(WriteFile(path, bytes));
    ConsoleFixture f;
    const QStringList before = labelsAndCaptions(f);
    f.dialogs.nextFileName(path);
    QVERIFY(f.click("ImportLabels1"));
    QCOMPARE(f.dialogs.texts(), QStringList{box});
    QCOMPARE(labelsAndCaptions(f), before);
}

// A directory, or a folder that is not there, is no place to write: the box says so.
void TestLabelFiles::failedExportSaysSo()
{
    QTemporaryDir dir;
    ConsoleFixture f;
    f.dialogs.nextFileName(dir.path());
    QVERIFY(f.click("ExportLabels1"));
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QVERIFY(f.dialogs.texts().first().startsWith("Unable to write the label file"));
    QVERIFY(QFileInfo(dir.path()).isDir());

    const QString path = dir.filePath("gone/labels.csv");
    f.dialogs.nextFileName(path);
    QVERIFY(f.click("ExportLabels1"));
    QCOMPARE(f.dialogs.boxes.size(), 2);
    QVERIFY(!QFile::exists(path));
    // Cancelling the dialog does nothing at all.
    QVERIFY(f.click("ExportLabels1"));
    QVERIFY(f.click("ImportLabels1"));
    QCOMPARE(f.dialogs.boxes.size(), 2);
}

QTEST_MAIN(TestLabelFiles)
#include "tst_labelfiles.moc"
