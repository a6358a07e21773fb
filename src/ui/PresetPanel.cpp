#include "ui/PresetPanel.h"

namespace kv {

PresetPanel::PresetPanel(QWidget *parent) : QGroupBox(QStringLiteral("Preset Save/Recall"), parent)
{
    setObjectName(QStringLiteral("PresetsGroupBox"));
}

} // namespace kv
