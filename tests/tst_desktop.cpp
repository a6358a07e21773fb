// The console on a real X server rather than the offscreen platform: the window titles the
// X server holds, as a window manager would show them. Needs Xvfb and xwininfo; skipped
// without them.

#include "Texts.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace texts = kv::test::texts;

class tst_Desktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void titlesAsDocumented();

private:
    QStringList windowNames();
    bool serverAnswers();
    void stop(QProcess &p);

    QString m_xwininfo;
    QString m_display;
    QProcess m_xvfb;
};

void tst_Desktop::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    m_xwininfo = QStandardPaths::findExecutable("xwininfo");
    if (xvfb.isEmpty() || m_xwininfo.isEmpty())
        QSKIP("needs Xvfb and xwininfo (packages xvfb, x11-utils)");
    if (qEnvironmentVariableIsEmpty("KV_CONSOLE"))
        QSKIP("KV_CONSOLE does not name the kvconsole binary");

    // -displayfd lets the server pick a free display and tell us which.
    m_xvfb.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    QVERIFY2(m_xvfb.waitForStarted(), qPrintable(m_xvfb.errorString()));
    QByteArray out;
    while (!out.contains('\n') && m_xvfb.waitForReadyRead(10000))
        out += m_xvfb.readAllStandardOutput();
    QVERIFY2(out.contains('\n'), m_xvfb.readAllStandardError().constData());
    m_display = ":" + QString::fromLatin1(out.trimmed());
    // The number can come before the server takes clients: a console started then fails.
    QTRY_VERIFY2_WITH_TIMEOUT(serverAnswers() || m_xvfb.state() == QProcess::NotRunning,
                              qPrintable(m_display), 10000);
    QVERIFY2(m_xvfb.state() == QProcess::Running, m_xvfb.readAllStandardError().constData());
}

bool tst_Desktop::serverAnswers()
{
    QProcess x;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    x.setProcessEnvironment(env);
    x.start(m_xwininfo, {"-root"});
    return x.waitForFinished(5000) && x.exitStatus() == QProcess::NormalExit && x.exitCode() == 0;
}

void tst_Desktop::cleanupTestCase() { stop(m_xvfb); }

void tst_Desktop::stop(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

QStringList tst_Desktop::windowNames()
{
    QProcess x;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    x.setProcessEnvironment(env);
    x.start(m_xwininfo, {"-root", "-tree"});
    if (!x.waitForFinished(10000))
        return {};
    // One window a line: 0x200006 "its name": ("instance" "class")  735x547+144+110 ...
    static const QRegularExpression named(R"re(^\s*0x[0-9a-f]+ "(.*)": \()re");
    QStringList names;
    for (const QString &line : QString::fromUtf8(x.readAllStandardOutput()).split('\n')) {
        const QRegularExpressionMatch m = named.match(line);
        if (m.hasMatch())
            names << m.captured(1);
    }
    return names;
}

void tst_Desktop::titlesAsDocumented()
{
    QTemporaryDir work;
    QProcess console;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    // The X keyboard library's own strndup calls read past their buffer; under the
    // sanitizers the console would stop there, before any window of ours.
    if (env.contains("ASAN_OPTIONS"))
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":intercept_strndup=0");
    env.insert("DISPLAY", m_display);
    env.remove("WAYLAND_DISPLAY");
    env.remove("KV_DEMO_AUTOCONNECT");
    env.insert("KV_COM1", work.filePath("no-such-port"));
    console.setProcessEnvironment(env);
    console.setWorkingDirectory(work.path());
    console.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    console.start(qEnvironmentVariable("KV_CONSOLE"), QStringList());
    QVERIFY2(console.waitForStarted(), qPrintable(console.errorString()));

    // The start-up question is up once the main window has been shown; nothing is answered.
    QStringList names;
    const auto questionUp = [&] {
        names = windowNames();
        return std::any_of(names.cbegin(), names.cend(),
                           [](const QString &n) { return n.startsWith(texts::kConnectTitle); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(questionUp() || console.state() == QProcess::NotRunning, 20000);
    stop(console);
    QVERIFY2(names.contains(texts::kConnectTitle), qPrintable(names.join(" | ")));
    QVERIFY2(names.contains(texts::kInitialCaption), qPrintable(names.join(" | ")));
}

QTEST_GUILESS_MAIN(tst_Desktop)
#include "tst_desktop.moc"
