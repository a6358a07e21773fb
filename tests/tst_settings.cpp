// Preferences the console cannot keep: protects that cannot be restored or saved are named on
// the status bar, and the remote unique ID does not change from run to run when the settings
// cannot be written.

#include "ConsoleFixture.h"
#include "FaultRig.h"
#include "RouteTestSteps.h"

#include "config/Settings.h"
#include "control/CoreRemote.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QtTest>

#include <optional>

using namespace kv;
using namespace kv::test;

namespace {

constexpr auto kAll = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr auto kReadOnlyFile = QFileDevice::ReadOwner;
constexpr auto kReadOnlyFolder = QFileDevice::ReadOwner | QFileDevice::ExeOwner;

// Asked once: every QSettings made reads the file, and would read it with root's rights.
QString SettingsFile()
{
    static const QString path = ConsoleSettings().fileName();
    return path;
}
QString SettingsFolder() { return QFileInfo(SettingsFile()).absolutePath(); }

void WriteSettingsFile(const QByteArray &bytes)
{
    QDir().mkpath(SettingsFolder());
    QFile file(SettingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QList<int> Padlocked(ConsoleFixture &f)
{
    QList<int> list;
    for (int n = 1; n <= kMaxPorts; ++n)
        if (!f.find<SwitchingPage>("ControlTabSheet")->outputButton(n)->icon().isNull())
            list << n;
    return list;
}

void Toggle(ConsoleFixture &f, int n)
{
    f.find<QAction>(QString("ProtectOutputAction%1").arg(n))->trigger();
}

QString SettingsNote(ConsoleFixture &f) { return f.text("SettingsStatusLabel"); }

const QString kNotSaved =
    QStringLiteral("Protected outputs cannot be saved: they will not survive a restart");
const QString kNotRead =
    QStringLiteral("Protected outputs could not all be restored: the settings cannot be read");

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QFile::setPermissions(SettingsFolder(), kAll);
        QFile::setPermissions(SettingsFile(), kAll);
        FreshRouteLogFolder();
        QFile::remove(SettingsFile());
    }
    void cleanup() { init(); }
    void protectsNotRestoredAreNamed_data();
    void protectsNotRestoredAreNamed();
    void protectsNotSavedAreSaid();
    void uniqueIdKeptWhenSettingsCannotBeWritten();
};

void TestSettings::protectsNotRestoredAreNamed_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QList<int>>("restored");
    QTest::addColumn<QString>("note");
    QTest::newRow("all restored") << QByteArray("[routing]\nprotectedOutputs=3, 5\n") << false
                                  << QList<int>{3, 5} << QString();
    QTest::newRow("out of range or no number")
        << QByteArray("[routing]\nprotectedOutputs=3, 17, 0, x\n") << false << QList<int>{3}
        << "Protected output(s) 17, 0, x could not be restored";
    QTest::newRow("malformed file")
        << QByteArray("[routing\nprotectedOutputs=4\n") << false << QList<int>{4} << kNotRead;
    QTest::newRow("unreadable file") << QByteArray("[routing]\nprotectedOutputs=6\n") << true
                                     << QList<int>{} << kNotRead;
}

void TestSettings::protectsNotRestoredAreNamed()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, unreadable);
    QFETCH(QList<int>, restored);
    QFETCH(QString, note);
    WriteSettingsFile(file);
    std::optional<HonourFilePermissions> permissions;
    if (unreadable) {
        QFile::setPermissions(SettingsFile(), {});
        permissions.emplace();
        if (!permissions->active())
            QSKIP("file permissions cannot be made to apply here");
    }
    ConsoleFixture f;
    QCOMPARE(Padlocked(f), restored);
    QCOMPARE(SettingsNote(f), note);
}

void TestSettings::protectsNotSavedAreSaid()
{
    WriteSettingsFile("[routing]\nprotectedOutputs=2\n");
    ConsoleFixture f;
    {
        HonourFilePermissions permissions;
        if (!permissions.active())
            QSKIP("file permissions cannot be made to apply here");
        QFile::setPermissions(SettingsFile(), kReadOnlyFile);
        QFile::setPermissions(SettingsFolder(), kReadOnlyFolder);
        Toggle(f, 3);
        QCOMPARE(Padlocked(f), (QList<int>{2, 3}));
        QCOMPARE(SettingsNote(f), kNotSaved);
        QCOMPARE(StatusText(f), "Output 3 protected");
    }
    // Once they can be saved again, the note goes.
    QFile::setPermissions(SettingsFolder(), kAll);
    QFile::setPermissions(SettingsFile(), kAll);
    Toggle(f, 2);
    QCOMPARE(SettingsNote(f), QString());
    ConsoleFixture again;
    QCOMPARE(Padlocked(again), QList<int>{3});
}

void TestSettings::uniqueIdKeptWhenSettingsCannotBeWritten()
{
    QDir().mkpath(SettingsFolder());
    QFile::setPermissions(SettingsFolder(), kReadOnlyFolder);
    HonourFilePermissions permissions;
    if (!permissions.active())
        QSKIP("file permissions cannot be made to apply here");
    ConsoleFixture f;
    const QString first = CoreRemote(f.form().core()).device().uniqueId;
    const QString second = CoreRemote(f.form().core()).device().uniqueId;
    QVERIFY(!QFile::exists(SettingsFile()));
    QCOMPARE(first.size(), 12);
    QVERIFY2(QByteArray::fromHex(first.toLatin1()).size() == 6, qPrintable(first));
    QCOMPARE(second, first);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
