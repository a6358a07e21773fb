#include "BenchEmu.h"

#include <QMutexLocker>

namespace kv::bench {

bool BenchEmu::start(const emu::EmulatorOptions &options, QString *error)
{
    // Stamped on the emulator's thread the moment the line is complete.
    return m_emu.start(options, error, [this](const QByteArray &line) {
        const auto now = Clock::now();
        QMutexLocker lock(&m_mutex);
        m_lines.append({now, line});
    });
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
