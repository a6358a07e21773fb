#pragma once
// Where the console keeps its preferences (QSettings), under its own name; tests that clear
// them use the same names.

#include <QSettings>

namespace kv {

inline constexpr char kSettingsOrganization[] = "Orvask Delvane";
inline constexpr char kSettingsApplication[] = "Kestavion Console";

inline QSettings ConsoleSettings()
{
    return QSettings(QString::fromLatin1(kSettingsOrganization),
                     QString::fromLatin1(kSettingsApplication));
}

} // namespace kv
