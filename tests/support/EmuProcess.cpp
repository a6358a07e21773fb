#include "EmuProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace kv::test {

EmuProcess::~EmuProcess() { stop(); }

bool EmuProcess::start(const Options &o, int timeoutMs)
{
    stop();
    m_error.clear();
    const QString program = qEnvironmentVariable("KV_EMU");
    if (program.isEmpty()) {
        m_error = "KV_EMU is not set: it must name the kvemu binary";
        return false;
    }
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid()) {
        m_error = "cannot create a temporary directory";
        return false;
    }
    m_logPath = m_dir->filePath("kvemu.log");
    QStringList args{"--quit-on-eof", "--log", m_logPath, "--model", QString::number(o.model)};
    if (o.pty) {
        // A name of its own: the serial port layer locks ports by their base name.
        m_ptyPath = m_dir->filePath("ttyKV" + QFileInfo(m_dir->path()).fileName().right(6));
        args << "--pty" << m_ptyPath;
    }
    if (o.tcp)
        args << "--tcp" << "0";
    if (o.baud > 0)
        args << "--baud" << QString::number(o.baud);
    for (const QString &f : o.faults)
        args << "--fault" << f;
    args << o.extraArgs;

    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->start(program, args);
    if (!m_process->waitForStarted(timeoutMs)) {
        m_error = "kvemu did not start: " + m_process->errorString();
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QString line = readLine(int(deadline.remainingTime()));
        if (line.isNull()) {
            m_error = "kvemu did not get ready: " + stderrText();
            stop();
            return false;
        }
        if (line.startsWith("tcp "))
            m_tcpPort = quint16(line.mid(4).toUInt());
        else if (line.startsWith("pty "))
            m_ptyDevice = line.mid(4);
        else if (line == "ready")
            return true;
    }
}

bool EmuProcess::reset(const Options &o)
{
    QStringList commands{"clear-faults", "drop-output", "reset",
                         QString("model %1").arg(o.model), QString("baud %1").arg(o.baud)};
    for (const QString &f : o.faults)
        commands << "fault " + f;
    commands << "clear-log";
    for (const QString &c : commands) {
        const QString answer = sendControl(c);
        if (answer != "ok") {
            m_error = QString("kvemu answered %1 to %2").arg(answer.isNull() ? "nothing" : answer, c);
            return false;
        }
    }
    return true;
}

namespace {

using Pool = QMap<QPair<bool, bool>, EmuProcess *>;

Pool &SharedPool()
{
    static Pool pool;
    static const bool cleanup = [] {
        // Before the application goes: a QProcess outliving it cannot stop its child.
        qAddPostRoutine([] {
            qDeleteAll(SharedPool());
            SharedPool().clear();
        });
        return true;
    }();
    Q_UNUSED(cleanup);
    return pool;
}

} // namespace

EmuProcess *EmuProcess::Shared(const Options &o, QString *error)
{
    if (!o.extraArgs.isEmpty()) {
        *error = "kvemu with extra arguments is not shared";
        return nullptr;
    }
    EmuProcess *&emu = SharedPool()[{o.pty, o.tcp}];
    if (!emu)
        emu = new EmuProcess;
    if (emu->isRunning() && emu->reset(o))
        return emu;
    if (!emu->start(o)) {
        *error = emu->errorString();
        return nullptr;
    }
    return emu;
}

void EmuProcess::stop()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->closeWriteChannel(); // --quit-on-eof: a clean exit that removes the link
        if (!m_process->waitForFinished(3000)) {
            m_process->terminate();
            if (!m_process->waitForFinished(3000))
                m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    m_process.reset();
    m_dir.reset();
    m_ptyPath.clear();
    m_ptyDevice.clear();
    m_tcpPort = 0;
}

bool EmuProcess::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString EmuProcess::readLine(int timeoutMs)
{
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    while (!m_process->canReadLine()) {
        if (m_process->state() != QProcess::Running || deadline.hasExpired())
            return QString();
        m_process->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return QString::fromLocal8Bit(m_process->readLine()).trimmed();
}

QStringList EmuProcess::receivedLines() const
{
    QFile f(m_logPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLatin1(f.readAll()).split('\n');
    lines.removeLast(); // every line ends in '\n'
    return lines;
}

void EmuProcess::clearLog() { sendControl("clear-log"); }

QString EmuProcess::sendControl(const QString &command, int timeoutMs)
{
    if (!isRunning())
        return QString();
    m_process->write((command + '\n').toLocal8Bit());
    m_process->waitForBytesWritten(timeoutMs);
    return readLine(timeoutMs);
}

QString EmuProcess::stderrText() const
{
    return m_process ? QString::fromLocal8Bit(m_process->readAllStandardError()) : QString();
}

} // namespace kv::test
