#include "control/ProtectedOutputs.h"
#include "config/Settings.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace kv {

ProtectedOutputs::ProtectedOutputs(QObject *parent) : QObject(parent)
{
    // Anything but an output's number in the file is ignored.
    const QStringList saved = ReadSetting(ConsoleSettings(), settings::ProtectedOutputs);
    for (const QString &n : saved) {
        bool ok = false;
        const int o = n.toInt(&ok) - 1;
        if (ok && IsPortIndex(o))
            m_on[o] = true;
    }
}

bool ProtectedOutputs::isProtected(int output) const { return IsPortIndex(output) && m_on[output]; }

void ProtectedOutputs::setProtected(int output, bool on)
{
    if (!IsPortIndex(output) || m_on[output] == on)
        return;
    m_on[output] = on;
    save();
    emit changed(output, on);
}

QList<int> ProtectedOutputs::all() const
{
    QList<int> list;
    for (int o = 0; o < kMaxPorts; ++o)
        if (m_on[o])
            list << o;
    return list;
}

void ProtectedOutputs::save() const
{
    QStringList list;
    for (int o : all())
        list << QString::number(o + 1);
    QSettings s = ConsoleSettings();
    WriteSetting(s, settings::ProtectedOutputs, list);
}

QString ProtectedOutputs::numbers(const QList<int> &outputs)
{
    QStringList list;
    for (int o : outputs)
        list << QString::number(o + 1);
    return list.join(QStringLiteral(", "));
}
} // namespace kv
