#include "control/ProtectedOutputs.h"
#include "config/Settings.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace kv {

ProtectedOutputs::ProtectedOutputs(QObject *parent) : QObject(parent) {}

void ProtectedOutputs::restore()
{
    const QSettings s = ConsoleSettings();
    QStringList lost;
    for (const QString &n : ReadSetting(s, settings::ProtectedOutputs)) {
        bool ok = false;
        const int o = n.toInt(&ok) - 1;
        if (ok && IsPortIndex(o))
            m_on[o] = true;
        else if (!n.trimmed().isEmpty())
            lost << n.trimmed();
    }
    // A damaged file may have lost any of them, so none can be named.
    if (s.status() != QSettings::NoError)
        setProblem(QStringLiteral(
            "Protected outputs could not all be restored: the settings cannot be read"));
    else if (!lost.isEmpty())
        setProblem(QStringLiteral("Protected output(s) %1 could not be restored")
                       .arg(lost.join(QStringLiteral(", "))));
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

void ProtectedOutputs::save()
{
    QStringList list;
    for (int o : all())
        list << QString::number(o + 1);
    QSettings s = ConsoleSettings();
    WriteSetting(s, settings::ProtectedOutputs, list);
    s.sync();
    // A FormatError here is the file as it was read; it has been written whole since.
    if (s.status() == QSettings::AccessError || !s.isWritable())
        setProblem(
            QStringLiteral("Protected outputs cannot be saved: they will not survive a restart"));
    else
        setProblem(QString());
}

void ProtectedOutputs::setProblem(const QString &text)
{
    if (text == m_problem)
        return;
    m_problem = text;
    emit settingsProblem(text);
}

QString ProtectedOutputs::numbers(const QList<int> &outputs)
{
    QStringList list;
    for (int o : outputs)
        list << QString::number(o + 1);
    return list.join(QStringLiteral(", "));
}
} // namespace kv
