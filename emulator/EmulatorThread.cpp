#include "EmulatorThread.h"

#include <QThread>

namespace kv::emu {

EmulatorThread::~EmulatorThread() { stop(); }

bool EmulatorThread::start(const EmulatorOptions &options, QString *error,
                           std::function<void(const QByteArray &line)> onLine)
{
    stop();
    m_thread = new QThread;
    m_thread->setObjectName("kvemu");
    m_anchor = new QObject;
    m_anchor->moveToThread(m_thread);
    m_thread->start();
    bool ok = false;
    QMetaObject::invokeMethod(
        m_anchor,
        [&] {
            m_emu = new Emulator;
            if (onLine)
                QObject::connect(m_emu, &Emulator::lineReceived, m_emu, onLine,
                                 Qt::DirectConnection);
            ok = m_emu->start(options, error);
            m_tcpPort = m_emu->tcpPort();
            m_ptySlave = m_emu->ptySlavePath();
        },
        Qt::BlockingQueuedConnection);
    if (!ok)
        stop();
    return ok;
}

void EmulatorThread::stop()
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(
        m_anchor,
        [this] {
            delete m_emu; // on its own thread: the links' notifiers belong there
            m_emu = nullptr;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_anchor;
    m_anchor = nullptr;
    delete m_thread;
    m_thread = nullptr;
    m_tcpPort = 0;
    m_ptySlave.clear();
}

QString EmulatorThread::control(const QString &command)
{
    QString answer;
    if (m_emu)
        QMetaObject::invokeMethod(
            m_anchor, [&] { answer = m_emu->control(command); }, Qt::BlockingQueuedConnection);
    return answer;
}

QList<QByteArray> EmulatorThread::received()
{
    QList<QByteArray> lines;
    if (m_emu)
        QMetaObject::invokeMethod(
            m_anchor, [&] { lines = m_emu->received(); }, Qt::BlockingQueuedConnection);
    return lines;
}

} // namespace kv::emu
