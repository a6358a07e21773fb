// Labels: the 48 edits, their captions on the other pages, the Enter ring, the Reset buttons
// and the rows of the model. Labels never reach MatrixState or the switcher.

#include "ConsoleFixture.h"
#include "TestFiles.h"

#include "control/ConfigActions.h"
#include "control/Labels.h"
#include "control/StatusRead.h"
#include "ui/GroupingPage.h"
#include "ui/LabelingPage.h"
#include "ui/SwitchingPage.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

// The window shown on the Labeling page with the focus in it, as the operator has it.
bool showLabeling(ConsoleFixture &f)
{
    f.form().show(); // its start-up question is answered No by the scripted dialogs
    f.showPage("LabelTabSheet");
    return QTest::qWaitForWindowActive(&f.form());
}

QString focusName()
{
    QWidget *w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
}

// Types a label into its edit and presses Enter, as the operator applies it.
void typeLabel(ConsoleFixture &f, const QString &edit, const QString &text)
{
    auto *e = f.find<QLineEdit>(edit);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
}

// Where a button's caption is drawn: painted in pure red, the rows and columns that hold it,
// and how many separate lines of text those rows make.
struct Ink {
    int lines = 0;
    QRect box;
};

Ink captionInk(QPushButton *button)
{
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, Qt::red);
    button->setPalette(pal);
    const QImage image = button->grab().toImage();
    Ink ink;
    bool inLine = false;
    for (int y = 0; y < image.height(); ++y) {
        bool inked = false;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 160 && c.green() < 100 && c.blue() < 100) {
                inked = true;
                ink.box |= QRect(x, y, 1, 1);
            }
        }
        if (inked && !inLine)
            ++ink.lines;
        inLine = inked;
    }
    return ink;
}

void setModel(ConsoleFixture &f, int inputs, int outputs)
{
    f.state().InputCount = std::int16_t(inputs);
    f.state().OutputCount = std::int16_t(outputs);
    f.form().core().statusRead().RefreshAllPages();
}

} // namespace

class TestLabels : public QObject {
    Q_OBJECT
private slots:
    void typedLabelAppliedOnEnter();
    void appliedWhenTheFocusLeaves();
    void atMostSixCharacters_data();
    void atMostSixCharacters();
    void enterRing_data();
    void enterRing();
    void groupCaptions_data();
    void groupCaptions();
    void redrawDropsGroupLabelsFromSelectorOnly();
    void resetButtons_data();
    void resetButtons();
    void modelRows();
    void labelsStayOnTheConsole();
    void captionsWrapInsideTheButton_data();
    void captionsWrapInsideTheButton();
    void ampersandIsNoShortcut();
    void screenshot();
};

void TestLabels::typedLabelAppliedOnEnter()
{
    ConsoleFixture f;
    QVERIFY(showLabeling(f));
    auto *edit = f.find<QLineEdit>("InputLabelEdit3");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "CAM 1");
    QCOMPARE(edit->text(), QString("CAM 1"));
    // Typing alone changes no caption.
    QCOMPARE(f.text("InputButton3"), QString("3"));
    QCOMPARE(f.text("GroupInputButton3"), QString("3"));

    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(f.text("InputButton3"), QString("CAM 1"));
    QCOMPARE(f.text("GroupInputButton3"), QString("CAM 1"));
    QCOMPARE(focusName(), QString("InputLabelEdit4"));
    QCOMPARE(edit->text(), QString("CAM 1")); // Enter itself is not typed
}

void TestLabels::appliedWhenTheFocusLeaves()
{
    ConsoleFixture f;
    QVERIFY(showLabeling(f));
    struct Case {
        const char *edit;
        const char *shownOn[2];
    };
    const Case cases[] = {
        {"OutputLabelEdit12", {"OutputButton12", "GroupOutputButton12"}},
        {"InputLabelEdit16", {"InputButton16", "GroupInputButton16"}},
        {"PresetLabelEdit5", {"PresetButton5", nullptr}},
    };
    for (const Case &c : cases) {
        auto *edit = f.find<QLineEdit>(c.edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "NAME");
        QCOMPARE(f.text(c.shownOn[0]), QString(c.edit).remove(QRegularExpression("\\D")));
        f.find<QLineEdit>("GroupLabelEdit1")->setFocus(Qt::MouseFocusReason);
        for (const char *name : c.shownOn) {
            if (name)
                QCOMPARE(f.text(name), QString("NAME"));
        }
    }
}

void TestLabels::atMostSixCharacters_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("input 1") << "InputLabelEdit1";
    QTest::newRow("output 16") << "OutputLabelEdit16";
    QTest::newRow("group 8") << "GroupLabelEdit8";
    QTest::newRow("preset 1") << "PresetLabelEdit1";
}

void TestLabels::atMostSixCharacters()
{
    QFETCH(QString, edit);
    ConsoleFixture f;
    QVERIFY(showLabeling(f));
    auto *e = f.find<QLineEdit>(edit);
    e->setFocus();
    e->clear();
    QTest::keyClicks(e, "ABCDEFG");
    QCOMPARE(e->text(), QString("ABCDEF"));
    e->clear();
    QApplication::clipboard()->setText("1234567890");
    e->paste();
    QCOMPARE(e->text(), QString("123456"));
}

void TestLabels::enterRing_data()
{
    QTest::addColumn<int>("size"); // 16: 16 x 16, 8: 8 x 8
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("input 16 to output 1") << 16 << "InputLabelEdit16" << "OutputLabelEdit1";
    QTest::newRow("output 16 to group 1") << 16 << "OutputLabelEdit16" << "GroupLabelEdit1";
    QTest::newRow("group 8 to preset 1") << 16 << "GroupLabelEdit8" << "PresetLabelEdit1";
    QTest::newRow("preset 8 back to input 1") << 16 << "PresetLabelEdit8" << "InputLabelEdit1";
    QTest::newRow("preset 3 to preset 4") << 16 << "PresetLabelEdit3" << "PresetLabelEdit4";
    QTest::newRow("8x8: input 8 skips to output 1") << 8 << "InputLabelEdit8" << "OutputLabelEdit1";
    QTest::newRow("8x8: output 8 skips to group 1") << 8 << "OutputLabelEdit8" << "GroupLabelEdit1";
    QTest::newRow("8x8: preset 8 to input 1") << 8 << "PresetLabelEdit8" << "InputLabelEdit1";
    QTest::newRow("8x8: input 7 to input 8") << 8 << "InputLabelEdit7" << "InputLabelEdit8";
}

void TestLabels::enterRing()
{
    QFETCH(int, size);
    QFETCH(QString, from);
    QFETCH(QString, to);
    ConsoleFixture f;
    QVERIFY(showLabeling(f));
    setModel(f, size, size);

    auto *edit = f.find<QLineEdit>(from);
    edit->setFocus();
    QTRY_COMPARE(focusName(), from);
    edit->setText("RING");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(focusName(), to);
    QVERIFY(f.find<QLineEdit>(to)->isEnabled());
    // The label left behind is applied.
    const QString number = QString(from).remove(QRegularExpression("\\D"));
    const QString kind = QString(from).section("LabelEdit", 0, 0);
    const QString shown = kind == "Group" ? QString("GroupExistCheckBox%1").arg(number)
                                          : QString("%1Button%2").arg(kind, number);
    QVERIFY2(f.text(shown).contains("RING"), qPrintable(shown + ": " + f.text(shown)));
}

void TestLabels::groupCaptions_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::newRow("named") << "NEWS" << "Group 2 (NEWS)";
    QTest::newRow("empty") << "" << "Group 2 ()";
    QTest::newRow("six characters") << "ABCDEF" << "Group 2 (ABCDEF)";
}

void TestLabels::groupCaptions()
{
    QFETCH(QString, label);
    QFETCH(QString, caption);
    ConsoleFixture f;
    QCOMPARE(f.text("GroupExistCheckBox2"), QString("Group 2 (2)"));
    QLineEdit *edit = f.find<QLineEdit>("GroupLabelEdit2");
    edit->setText(label);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(f.text("GroupExistCheckBox2"), caption);
    QCOMPARE(f.find<GroupingPage>("GroupingTabSheet")->groupItemText(1), caption);
    QCOMPARE(f.find<GroupingPage>("GroupingTabSheet")->groupItemText(0), QString("Group 1 (1)"));
}

void TestLabels::redrawDropsGroupLabelsFromSelectorOnly()
{
    ConsoleFixture f;
    QVERIFY(showLabeling(f));
    auto *edit = f.find<QLineEdit>("GroupLabelEdit3");
    edit->setFocus();
    edit->setText("NEWS");
    QTest::keyClick(edit, Qt::Key_Return);
    f.form().core().statusRead().RefreshAllPages();
    QCOMPARE(f.find<GroupingPage>("GroupingTabSheet")->groupItemText(2), QString("Group 3"));
    QCOMPARE(f.text("GroupExistCheckBox3"), QString("Group 3 (NEWS)"));
    QTest::keyClick(f.find<QLineEdit>("GroupLabelEdit4"), Qt::Key_Return);
    QVERIFY(f.click("ResetGroupLabelsButton"));
    QCOMPARE(f.find<GroupingPage>("GroupingTabSheet")->groupItemText(2), QString("Group 3 (3)"));
}

void TestLabels::resetButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("restored"); // edits named before, back to their numbers
    QTest::newRow("inputs") << "ResetInputLabelsButton"
                            << QStringList{"InputLabelEdit3", "InputLabelEdit14"};
    // All sixteen outputs, not just the first eight.
    QTest::newRow("outputs") << "ResetOutputLabelsButton"
                             << QStringList{"OutputLabelEdit5", "OutputLabelEdit12"};
    QTest::newRow("groups") << "ResetGroupLabelsButton" << QStringList{"GroupLabelEdit2"};
    QTest::newRow("presets") << "ResetPresetLabelsButton" << QStringList{"PresetLabelEdit8"};
}

void TestLabels::resetButtons()
{
    QFETCH(QString, button);
    QFETCH(QStringList, restored);
    ConsoleFixture f;
    const QStringList named = {"InputLabelEdit3", "InputLabelEdit14", "OutputLabelEdit5",
                               "OutputLabelEdit12", "GroupLabelEdit2", "PresetLabelEdit8"};
    for (const QString &name : named)
        f.find<QLineEdit>(name)->setText("X" + name.right(2));
    Labels &labels = f.form().core().configActions().labels();
    for (LabelKind kind : kLabelKinds)
        labels.ApplyLabels(kind);
    QCOMPARE(f.text("OutputButton12"), QString("X12"));

    f.dialogs.clear();
    QVERIFY(f.click(button));
    QCOMPARE(f.dialogs.boxes.size(), 0); // no confirmation
    for (const QString &name : named) {
        const QString number = QString(name).remove(QRegularExpression("\\D"));
        const QString expected = restored.contains(name) ? number : "X" + name.right(2);
        QCOMPARE(f.text(name), expected);
    }
    QCOMPARE(f.text("OutputButton12"), f.text("OutputLabelEdit12"));
    QCOMPARE(f.text("GroupOutputButton5"), f.text("OutputLabelEdit5"));
    QCOMPARE(f.text("InputButton14"), f.text("InputLabelEdit14"));
    QCOMPARE(f.text("PresetButton8"), f.text("PresetLabelEdit8"));
    QCOMPARE(f.text("GroupExistCheckBox2"), "Group 2 (" + f.text("GroupLabelEdit2") + ")");
}

void TestLabels::modelRows()
{
    CONNECT(f, "pty", kv::test::EmuProcess::Options().withModel(10));
    f->readAll();
    LabelingPage *page = f->find<LabelingPage>("LabelTabSheet");
    for (int n = 1; n <= 16; ++n) {
        for (LabelKind kind : {LabelKind::Input, LabelKind::Output}) {
            QCOMPARE(page->edit(kind, n)->isEnabled(), n <= 8);
            QCOMPARE(page->caption(kind, n)->isEnabled(), n <= 8);
        }
    }
    for (int n = 1; n <= 8; ++n) {
        QVERIFY(page->edit(LabelKind::Group, n)->isEnabled());
        QVERIFY(page->edit(LabelKind::Preset, n)->isEnabled());
    }
    QCOMPARE(page->caption(LabelKind::Output, 9)->text(), QString("Output 9"));

    // Back to 16 x 16: every row usable again.
    f->emu().sendControl("model 11");
    f->readAll();
    QVERIFY(page->edit(LabelKind::Input, 16)->isEnabled());
    QVERIFY(page->caption(LabelKind::Output, 9)->isEnabled());
}

void TestLabels::labelsStayOnTheConsole()
{
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.readAll();
    QVERIFY(showLabeling(f));
    f.clearWire();
    const QByteArray before = BytesOf(f.state());

    for (LabelKind kind : kLabelKinds) {
        for (int n = 1; n <= LabelCountOf(kind); ++n) {
            auto *edit = f.find<LabelingPage>("LabelTabSheet")->edit(kind, n);
            edit->setFocus();
            edit->setText(QString("L%1").arg(n));
            QTest::keyClick(edit, Qt::Key_Return);
        }
    }
    for (const char *reset : {"ResetInputLabelsButton", "ResetOutputLabelsButton",
                              "ResetGroupLabelsButton", "ResetPresetLabelsButton"})
        QVERIFY(f.click(reset));
    QCOMPARE(f.wire(), QStringList());
    QCOMPARE(BytesOf(f.state()), before); // not even Config: only saving gathers labels
}

void TestLabels::captionsWrapInsideTheButton_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("lines"); // 0: as many as the font needs
    const QStringList in1{"InputButton1", "GroupInputButton1"};
    QTest::newRow("CAM 12, input") << "InputLabelEdit1" << "CAM 12" << in1 << 0;
    QTest::newRow("VTR  B, output") << "OutputLabelEdit12" << "VTR  B"
                                    << QStringList{"OutputButton12", "GroupOutputButton12"} << 0;
    // A word a little too wide is drawn smaller, not split; one far too wide is split.
    QTest::newRow("one word, a little too wide") << "OutputLabelEdit8" << "STREAM"
                                                 << QStringList{"OutputButton8"} << 1;
    QTest::newRow("wider than an input button") << "InputLabelEdit1" << "WWWWWW"
                                                << QStringList{"InputButton1"} << 2;
    QTest::newRow("wider than an output button") << "OutputLabelEdit3" << "MMMMMM"
                                                 << QStringList{"OutputButton3"} << 2;
    QTest::newRow("fits the grouping button") << "InputLabelEdit1" << "WWWWWW"
                                              << QStringList{"GroupInputButton1"} << 1;
    QTest::newRow("fits the preset button") << "PresetLabelEdit8" << "CAM 12"
                                            << QStringList{"PresetButton8"} << 1;
}

void TestLabels::captionsWrapInsideTheButton()
{
    QFETCH(QString, edit);
    QFETCH(QString, label);
    QFETCH(QStringList, buttons);
    QFETCH(int, lines);
    ConsoleFixture f;
    QVERIFY(showLabeling(f));
    typeLabel(f, edit, label);
    for (const QString &name : buttons) {
        auto *button = f.find<QPushButton>(name);
        QCOMPARE(button->text(), label);
        const Ink ink = captionInk(button);
        if (lines)
            QCOMPARE(ink.lines, lines);
        // Every glyph is whole and clear of the bevel: none cut off, none touching the edge.
        const QRect clear = button->rect().adjusted(3, 2, -3, -2);
        QVERIFY2(clear.contains(ink.box), qPrintable(QStringLiteral("%1: ink %2,%3 %4x%5 in %6x%7")
                                                         .arg(name)
                                                         .arg(ink.box.x())
                                                         .arg(ink.box.y())
                                                         .arg(ink.box.width())
                                                         .arg(ink.box.height())
                                                         .arg(button->width())
                                                         .arg(button->height())));
    }
}

// A label is a caption: its "&" is shown, and Alt with the letter after it routes nothing.
void TestLabels::ampersandIsNoShortcut()
{
    ConsoleFixture f;
    QVERIFY(showLabeling(f));
    typeLabel(f, "InputLabelEdit2", "R&D");
    f.showPage("ControlTabSheet");
    auto *button = f.find<QPushButton>("InputButton2");
    QTRY_VERIFY(button->isVisible());
    QCOMPARE(button->text(), QString("R&D"));
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyClick(&f.form(), Qt::Key_D, Qt::AltModifier);
    QTest::qWait(300); // a shortcut clicks after the button's 100 ms press
    QCOMPARE(clicked.size(), 0);
}

// Not a check: with KV_SCREENSHOT=FILE set (scripts/screenshot.sh), saves a picture of the
// Labeling page of an 8 x 8 switcher with some labels typed, and beside it
// labeled-switching.png: six-character labels on the Video Switching page and the preset
// panel of a 16 x 16 switcher. Skipped otherwise.
void TestLabels::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    {
        // Closed before the second console opens a port of its own.
        CONNECT(f, "pty", kv::test::EmuProcess::Options().withModel(10));
        f->readAll();
        const QStringList inputs = {"CAM 1", "CAM 2", "CAM 3", "VTR A", "VTR B", "GFX", "SAT", "BARS"};
        const QStringList outputs = {"PGM", "PVW", "MON 1", "MON 2", "REC", "STREAM", "AUX", "QC"};
        const QStringList groups = {"STUDIO", "EDIT"};
        const QStringList presets = {"NEWS", "SPORT", "NIGHT"};
        LabelingPage *page = f->find<LabelingPage>("LabelTabSheet");
        for (int n = 1; n <= 8; ++n) {
            page->setLabelText(LabelKind::Input, n, inputs.at(n - 1));
            page->setLabelText(LabelKind::Output, n, outputs.at(n - 1));
        }
        for (int n = 1; n <= groups.size(); ++n)
            page->setLabelText(LabelKind::Group, n, groups.at(n - 1));
        for (int n = 1; n <= presets.size(); ++n)
            page->setLabelText(LabelKind::Preset, n, presets.at(n - 1));
        QVERIFY(showLabeling(*f));
        page->edit(LabelKind::Preset, 4)->setFocus();
        QVERIFY2(f->form().grab().save(file), qPrintable(file));
        qInfo("Labeling page: %s", qPrintable(file));
    }

    ConsoleFixture wide;
    QVERIFY2(wide.start(), qPrintable(wide.error()));
    QVERIFY2(wide.connectSerial(), qPrintable(wide.error()));
    wide.readAll();
    const QStringList wideInputs = {"CAM 1",  "CAM 2",  "CAM 3",  "CAM 4", "CAM 5", "CAM 6",
                                    "CAM 7",  "CAM 8",  "CAM 9",  "CAM 10", "CAM 11", "CAM 12",
                                    "VTR  A", "VTR  B", "GFX 1", "BARS"};
    const QStringList wideOutputs = {"PGM",    "PVW",    "MON 1",  "MON 2", "MON 10", "REC 1",
                                     "REC 2",  "STREAM", "VTR  A", "VTR  B", "AUX 1", "AUX 2",
                                     "WALL 1", "WALL 2", "QC",     "SPARE"};
    const QStringList widePresets = {"NEWS", "SPORT", "NIGHT", "CAM 12", "VTR  B", "WEEKND"};
    LabelingPage *labels = wide.find<LabelingPage>("LabelTabSheet");
    Labels &apply = wide.form().core().configActions().labels();
    for (int n = 1; n <= 16; ++n) {
        labels->setLabelText(LabelKind::Input, n, wideInputs.at(n - 1));
        labels->setLabelText(LabelKind::Output, n, wideOutputs.at(n - 1));
        apply.LabelEditExit(LabelKind::Input, n);
        apply.LabelEditExit(LabelKind::Output, n);
    }
    for (int n = 1; n <= widePresets.size(); ++n) {
        labels->setLabelText(LabelKind::Preset, n, widePresets.at(n - 1));
        apply.LabelEditExit(LabelKind::Preset, n);
    }
    wide.form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&wide.form()));
    QVERIFY(wide.click("OutputButton2"));
    QVERIFY(wide.click("InputButton12"));
    QVERIFY(wide.click("PresetsSaveButton")); // the preset buttons, to store into
    const QString switching = QFileInfo(file).dir().filePath("labeled-switching.png");
    QVERIFY2(wide.form().grab().save(switching), qPrintable(switching));
    qInfo("Labels on the Video Switching page: %s", qPrintable(switching));
}

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
