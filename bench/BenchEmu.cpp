#include "BenchEmu.h"

#include <QMutexLocker>
#include <QThread>

namespace kv::bench {

BenchEmu::~BenchEmu() { stop(); }

bool BenchEmu::start(const emu::EmulatorOptions &options, QString *error)
{
    stop();
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("kvemu"));
    m_anchor = new QObject;
    m_anchor->moveToThread(m_thread);
    m_thread->start();
    bool ok = false;
    QMetaObject::invokeMethod(
        m_anchor,
        [&] {
            m_emu = new emu::Emulator;
            // Direct: stamped on the emulator's thread the moment the line is complete.
            QObject::connect(
                m_emu, &emu::Emulator::lineReceived, m_emu,
                [this](const QByteArray &line) {
                    const auto now = Clock::now();
                    QMutexLocker lock(&m_mutex);
                    m_lines.append({now, line});
                },
                Qt::DirectConnection);
            ok = m_emu->start(options, error);
            m_tcpPort = m_emu->tcpPort();
            m_ptyDevice = m_emu->ptySlavePath();
        },
        Qt::BlockingQueuedConnection);
    if (!ok)
        stop();
    return ok;
}

void BenchEmu::stop()
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(
        m_anchor,
        [this] {
            delete m_emu;
            m_emu = nullptr;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_anchor;
    m_anchor = nullptr;
    delete m_thread;
    m_thread = nullptr;
}

QString BenchEmu::control(const QString &command)
{
    QString answer;
    if (m_emu)
        QMetaObject::invokeMethod(
            m_anchor, [&] { answer = m_emu->control(command); }, Qt::BlockingQueuedConnection);
    return answer;
}

QList<WireLine> BenchEmu::takeLines()
{
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_lines, {});
}

int BenchEmu::lineCount()
{
    QMutexLocker lock(&m_mutex);
    return int(m_lines.size());
}

} // namespace kv::bench
