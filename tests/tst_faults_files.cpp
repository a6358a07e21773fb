// Files and typing that go wrong: configuration files of every wrong size, unreadable or a
// directory; IPSave.ini empty, odd or unreadable; saves that cannot be written, or only in place; and any text
// in every label, step and IP field. The operator gets the message for it, nothing
// else changes, no saved file is lost, and the console works on with the switcher.

#include "FaultRig.h"
#include "LinkEnv.h"
#include "OperatorSteps.h"
#include "TestFiles.h"
#include "Texts.h"

#include "config/ConfigFile.h"
#include "link/EthernetLink.h"
#include "link/IpAddress.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace kv;
using namespace kv::test;

namespace {

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray b(size, Qt::Uninitialized);
    QRandomGenerator rng(seed);
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

// The operator leaving an edit for the next control.
void leave(QLineEdit *edit)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(edit, &out);
}

QStringList labelEdits()
{
    QStringList names;
    for (int n = 1; n <= 16; ++n)
        names << QString("InputLabelEdit%1").arg(n) << QString("OutputLabelEdit%1").arg(n);
    for (int n = 1; n <= 8; ++n)
        names << QString("GroupLabelEdit%1").arg(n) << QString("PresetLabelEdit%1").arg(n);
    return names;
}

} // namespace

class TestFaultsFiles : public QObject {
    Q_OBJECT
private slots:
    void init() { SetComPorts({}); }

    void badConfigFile_data();
    void badConfigFile();
    void saveOverOldFile_data();
    void saveOverOldFile();
    void oddIpSaveFile_data();
    void oddIpSaveFile();
    void anyTextInEveryEdit_data();
    void anyTextInEveryEdit();
};

void TestFaultsFiles::badConfigFile_data()
{
    QTest::addColumn<QString>("kind"); // "file", "unreadable", "directory"
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("0 bytes") << "file" << QByteArray() << texts::kConfigSizeError;
    QTest::newRow("1 byte") << "file" << QByteArray(1, '\0') << texts::kConfigSizeError;
    QTest::newRow("519 bytes") << "file" << QByteArray(519, 'A') << texts::kConfigSizeError;
    QTest::newRow("521 bytes") << "file" << QByteArray(521, 'A') << texts::kConfigSizeError;
    QTest::newRow("1 MiB") << "file" << randomBytes(1 << 20, 11) << texts::kConfigSizeError;
    QTest::newRow("unreadable") << "unreadable" << QByteArray(520, '\0') << texts::kConfigOpenError;
    QTest::newRow("a directory") << "directory" << QByteArray() << texts::kConfigOpenError;
    QTest::newRow("520 random bytes") << "file" << randomBytes(520, 5) << texts::kConfigOpened;
}

void TestFaultsFiles::badConfigFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);

    auto f = ReadConsole("pty");
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    QTemporaryDir dir;
    const QString path = dir.filePath("switcher.kvc");
    if (kind == "directory")
        QVERIFY(QDir().mkdir(path));
    else
        QVERIFY(WriteFile(path, content));
    if (kind == "unreadable")
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    f->find<QLineEdit>("InputLabelEdit1")->setText("KEEP");
    const MatrixState before = f->state();

    {
        HonourFilePermissions permissions;
        if (kind == "unreadable" && !permissions.active())
            QSKIP("file permissions cannot be made to apply here");
        QVERIFY(OpenConfigFile(*f, path));
    }

    QCOMPARE(f->dialogs.texts(), QStringList{message});
    QCOMPARE(f->dialogs.boxes.first().title, texts::kAppTitle);
    if (message == texts::kConfigOpened) {
        // Any bytes go in as they are; the next read puts the switcher's state back.
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&f->state().Config), 520), content);
        f->dialogs.clear();
        f->readAll();
        QCOMPARE(f->dialogs.texts(), QStringList());
    } else {
        QCOMPARE(ChangedFields(before, f->state()), QStringList());
        QCOMPARE(f->text("InputLabelEdit1"), QString("KEEP"));
    }
    QCOMPARE(f->wire(), QStringList() << (message == texts::kConfigOpened ? FullQuerySequence() : QStringList()));

    // A good file opens after it, and the switcher still does as it is told.
    const QString good = dir.filePath("good.kvc");
    f->dialogs.clear();
    QVERIFY(SaveConfigFile(*f, good));
    QVERIFY(OpenConfigFile(*f, good));
    QCOMPARE(f->dialogs.texts(), QStringList{texts::kConfigOpened});
    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

// A save that cannot be written says so and leaves the file that was there as it was. A
// writable file in a directory that is not writable is written in place.
void TestFaultsFiles::saveOverOldFile_data()
{
    QTest::addColumn<QString>("file");    // "config" or "ipsave"
    QTest::addColumn<QString>("fault");   // "dir", "file" (read-only) or "full" (disk full)
    QTest::addColumn<QString>("message"); // empty when the save goes through
    for (const QString &file : {QString("config"), QString("ipsave")}) {
        const QString name = file == "config" ? "config" : "IPSave.ini";
        const QString error = file == "config" ? texts::kConfigCreateError : texts::kIpCreateError;
        QTest::newRow(qPrintable(name + ": read-only file")) << file << "file" << error;
        QTest::newRow(qPrintable(name + ": disk full part-way")) << file << "full" << error;
        QTest::newRow(qPrintable(name + ": read-only directory")) << file << "dir" << QString();
    }
}

void TestFaultsFiles::saveOverOldFile()
{
    QFETCH(QString, file);
    QFETCH(QString, fault);
    QFETCH(QString, message);

    WorkDir work; // IPSave.ini lives in the working directory
    auto f = ReadConsole("pty");
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    const bool config = file == "config";
    const QString path = config ? work.path() + "/old.kvc" : work.path() + "/IPSave.ini";
    const QByteArray old = config ? randomBytes(520, 9) : QByteArray("10.0.0.9", 9);
    QVERIFY(WriteFile(path, old));
    f->find<QLineEdit>("IPAddrEdit")->setText("10.1.2.3");
    f->find<QLineEdit>("InputLabelEdit1")->setText("NEW");
    auto save = [&] {
        if (config)
            QVERIFY(SaveConfigFile(*f, path));
        else
            QVERIFY(f->click("IPAddressButton"));
    };

    if (fault == "full") {
        // Writes stop part-way, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        struct rlimit small = saved;
        small.rlim_cur = config ? 100 : 4;
        setrlimit(RLIMIT_FSIZE, &small);
        save();
        setrlimit(RLIMIT_FSIZE, &saved);
    } else {
        const QString locked = fault == "dir" ? work.path() : path;
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        {
            HonourFilePermissions permissions;
            if (!permissions.active())
                QSKIP("file permissions cannot be made to apply here");
            save();
        }
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }

    QCOMPARE(f->dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    const QByteArray now = ReadFile(path);
    if (!message.isEmpty()) {
        QCOMPARE(now, old);
    } else if (config) {
        QCOMPARE(now.size(), 520);
        QCOMPARE(now.mid(214, 4), QByteArray("NEW\0", 4));
    } else {
        QCOMPARE(now, QByteArray("10.1.2.3", 9));
    }
    QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(path).fileName()});
    // The rest of the operation went on: Config refreshed, or the address sent.
    if (config)
        QCOMPARE(LoadLabel(f->state().Config.InputLabels[0]), QString("NEW"));
    else
        QCOMPARE(f->commands(), QStringList{"IPCONFIG 10 1 2 3"});

    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

void TestFaultsFiles::oddIpSaveFile_data()
{
    QTest::addColumn<QString>("kind"); // "file", "unreadable", "directory", "missing"
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("shown"); // the field afterwards
    QTest::addColumn<QStringList>("boxes");
    const QString word19 = "1234567890.23456789";
    QTest::newRow("empty") << "file" << QByteArray() << "" << QStringList();
    QTest::newRow("without its zero byte")
        << "file" << QByteArray("10.0.0.7") << "10.0.0.7" << QStringList();
    QTest::newRow("first word of 19")
        << "file" << (word19.toLatin1() + '\0') << word19 << QStringList();
    QTest::newRow("first word of 200")
        << "file" << (QByteArray(200, '7') + '\0') << QString(19, '7') << QStringList();
    QTest::newRow("binary") << "file" << randomBytes(300, 3) << "?" << QStringList();
    QTest::newRow("unreadable") << "unreadable" << QByteArray("10.0.0.7", 9) << "typed"
                                << QStringList{texts::kIpOpenError};
    QTest::newRow("a directory")
        << "directory" << QByteArray() << "typed" << QStringList{texts::kIpOpenError};
    QTest::newRow("missing") << "missing" << QByteArray() << "typed" << QStringList{texts::kIpOpenError};
}

void TestFaultsFiles::oddIpSaveFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    QFETCH(QStringList, boxes);

    WorkDir work;
    const QString path = work.path() + "/IPSave.ini";
    if (kind == "directory")
        QVERIFY(QDir().mkdir(path));
    else if (kind != "missing")
        QVERIFY(WriteFile(path, content));
    if (kind == "unreadable")
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));

    ConsoleFixture f;
    QVERIFY2(f.start(EmuProcess::Options().withTcp()), qPrintable(f.error()));
    QLineEdit *edit = f.find<QLineEdit>("IPAddrEdit");
    edit->setText("typed");
    {
        HonourFilePermissions permissions;
        if (kind == "unreadable" && !permissions.active())
            QSKIP("file permissions cannot be made to apply here");
        f.form().core().ethernetLink().LoadIpAddress();
    }
    QCOMPARE(f.dialogs.texts(), boxes);
    if (shown == "?") // whatever the bytes make of it: one word, at most 19 characters
        QVERIFY(edit->text().size() <= 19 && !edit->text().contains(' '));
    else
        QCOMPARE(edit->text(), shown);
    QCOMPARE(f.state().EthernetConnected, quint8(0));

    // The operator types the address and connects.
    f.dialogs.clear();
    qputenv("KV_TCP_PORT", QByteArray::number(f.emu().tcpPort()));
    edit->setText("127.0.0.1");
    QVERIFY(f.click("SerialModeEthernet"));
    QCOMPARE(f.state().EthernetConnected, quint8(1));
    if (kind != "directory") // a directory is not replaced by a file
        QCOMPARE(ReadFile(path), QByteArray("127.0.0.1", 10));
    const QString after = KeepsWorking(f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

void TestFaultsFiles::anyTextInEveryEdit_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks") << "      ";
    QTest::newRow("tab") << "\t";
    QTest::newRow("minus") << "-";
    QTest::newRow("plus five") << "+5";
    QTest::newRow("minus one") << "-1";
    QTest::newRow("huge number") << QString(40, '9');
    QTest::newRow("long paste") << QString("Paste 0123456789.,;:-+ ").repeated(600);
    QTest::newRow("Latin-1") << QString::fromUtf8("ÀÉÎõü÷");
    QTest::newRow("Greek") << QString::fromUtf8("Ωμέγα");
    QTest::newRow("CJK") << QString::fromUtf8("日本語テキスト");
    QTest::newRow("emoji") << QString::fromUtf8("🎬📺🎥");
    QTest::newRow("combining marks") << QString::fromUtf8("e\u0301\u0301\u0301");
    QTest::newRow("control characters") << QString::fromLatin1("\x01\x02\x7f\x1b[2J");
    QTest::newRow("percent signs") << "%s%n%d%%";
}

void TestFaultsFiles::anyTextInEveryEdit()
{
    QFETCH(QString, text);

    WorkDir work;
    auto f = ReadConsole("pty");
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    QVERIFY(f->click("PresetsSaveButton")); // preset 1 stored, for the delay checks
    QVERIFY(f->click("PresetButton1"));
    f->clearWire();
    f->dialogs.clear();

    // Labels: pasted, then left; at most six characters stay and every caption copes.
    for (const QString &name : labelEdits()) {
        QLineEdit *edit = f->find<QLineEdit>(name);
        QVERIFY2(edit, qPrintable(name));
        edit->selectAll();
        edit->insert(text);
        leave(edit);
        QVERIFY(edit->text().size() <= 6);
    }
    QTemporaryDir dir;
    QVERIFY(SaveConfigFile(*f, dir.filePath("labels.kvc")));
    QVERIFY(OpenConfigFile(*f, dir.filePath("labels.kvc")));
    QCOMPARE(f->dialogs.texts(), QStringList{texts::kConfigOpened});
    f->dialogs.clear();

    // Steps: a bad preset or delay gives one "Error! " box and no sequence runs.
    for (int n = 1; n <= 8; ++n) {
        auto *box = f->find<QCheckBox>(QString("PresetSeqEnableCheckBox%1").arg(n));
        if (!box->isChecked())
            box->click();
        QLineEdit *preset = f->find<QLineEdit>(QString("PresetSeqEdit%1").arg(n));
        QLineEdit *delay = f->find<QLineEdit>(QString("PresetDelayEdit%1").arg(n));
        for (QLineEdit *edit : {preset, delay}) {
            preset->setText("1");
            delay->setText("5");
            edit->selectAll();
            edit->insert(text);
            leave(edit);
            f->click("PresetSeqStartButton");
            f->click("PresetSeqStopButton");
        }
        box->click();
    }
    // None of these texts is a preset number: every step says so at least once.
    QVERIFY(f->dialogs.boxes.size() >= 8);
    for (const QString &box : f->dialogs.texts())
        QVERIFY2(box.startsWith("Error! "), qPrintable(box));
    auto *timer = f->form().findChild<QTimer *>("PresetSeqTimer");
    QVERIFY(timer && !timer->isActive());
    f->dialogs.clear();

    // The IP address: saved as typed, then refused or sent.
    QLineEdit *ip = f->find<QLineEdit>("IPAddrEdit");
    ip->selectAll();
    ip->insert(text);
    leave(ip);
    f->clearWire();
    QVERIFY(f->click("IPAddressButton"));
    QCOMPARE(ReadFile(work.path() + "/IPSave.ini"), ip->text().toLocal8Bit() + '\0');
    const QStringList sent = f->commands();
    QVERIFY2(sent.isEmpty() != f->dialogs.boxes.isEmpty(), qPrintable(f->dialogs.texts().join('|')));

    QCOMPARE(f->state().Busy, 0);
    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

QTEST_MAIN(TestFaultsFiles)
#include "tst_faults_files.moc"
