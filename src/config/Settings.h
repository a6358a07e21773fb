#pragma once
// Where the console keeps its preferences (QSettings), under its own name; tests that clear
// them use the same names. Every preference is named here once, with its value when nothing
// is stored; the names are those earlier versions stored, so saved preferences carry over.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kv {

inline constexpr char kSettingsOrganization[] = "Orvask Delvane";
inline constexpr char kSettingsApplication[] = "Kestavion Console";

inline QSettings ConsoleSettings()
{
    return QSettings(QString::fromLatin1(kSettingsOrganization),
                     QString::fromLatin1(kSettingsApplication));
}

template <typename T> struct Setting {
    const char *name;
    T fallback;
};

namespace settings {
// Numbers from 1, as the operator counts.
inline const Setting<QStringList> ProtectedOutputs{"routing/protectedOutputs", {}};
inline const Setting<bool> FollowSwitcher{"follow/enabled", false};
inline const Setting<bool> RemoteEnabled{"remote/enabled", false};
inline const Setting<QString> RemoteBind{"remote/bind", QStringLiteral("127.0.0.1")};
inline const Setting<int> RemotePort{"remote/port", 9990};
inline const Setting<bool> RemoteReadOnly{"remote/readOnly", false};
// Twelve hex digits, made once; empty until then.
inline const Setting<QString> RemoteUniqueId{"remote/uniqueId", {}};
inline const Setting<QString> RemoteFriendlyName{"remote/friendlyName",
                                                 QStringLiteral("Kestavion Console")};
} // namespace settings

template <typename T> T ReadSetting(const QSettings &s, const Setting<T> &setting)
{
    const QVariant v = s.value(QLatin1String(setting.name));
    return v.isValid() ? v.value<T>() : setting.fallback;
}

template <typename T> void WriteSetting(QSettings &s, const Setting<T> &setting, const T &value)
{
    s.setValue(QLatin1String(setting.name), QVariant::fromValue(value));
}

} // namespace kv
