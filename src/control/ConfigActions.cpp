#include "control/ConfigActions.h"

#include "config/ConfigFile.h"
#include "control/Grouping.h"
#include "control/Labels.h"
#include "control/Routing.h"
#include "state/MatrixState.h"

#include <algorithm>
#include <iterator>

namespace kv {

namespace {

using LabelSlot = char[kLabelSize];

// The Config slots of one kind of label.
LabelSlot *slotsOf(ConfigRecord &c, LabelKind kind)
{
    switch (kind) {
    case LabelKind::Input: return c.InputLabels;
    case LabelKind::Output: return c.OutputLabels;
    case LabelKind::Group: return c.GroupLabels;
    case LabelKind::Preset: break;
    }
    return c.PresetLabels;
}

} // namespace

ConfigActions::ConfigActions(MatrixState &state, ConfigView &view, Labels &labels, Routing &routing,
                             Grouping &grouping, QObject *parent)
    : QObject(parent), m_state(state), m_view(view), m_labels(labels), m_routing(routing),
      m_grouping(grouping)
{
}

void ConfigActions::GatherLabels()
{
    ConfigRecord &config = m_state.Config;
    const MatrixState &s = m_state;
    // Slots beyond the model's counts keep what Config held.
    const int counts[4] = {InputsOf(s), OutputsOf(s), kGroupCount, kPresetCount};
    for (LabelKind kind : kLabelKinds) {
        LabelSlot *labelSlots = slotsOf(config, kind);
        for (int i = 0; i < counts[int(kind)]; ++i)
            StoreLabel(labelSlots[i], m_labels.labelText(kind, i + 1));
    }
}

void ConfigActions::SaveConfigurationtoFile1Click()
{
    const QString name = m_view.saveFileName();
    if (name.isEmpty())
        return;
    m_view.showBusyCursor();
    MatrixState &s = m_state;
    GatherLabels();
    s.Config.Groups = s.Groups;
    static_assert(sizeof(s.Config.Routes) == sizeof(s.Routes));
    std::copy(std::begin(s.Routes), std::end(s.Routes), std::begin(s.Config.Routes));
    QString error;
    if (!WriteConfigFile(name, s.Config, &error))
        m_view.showMessage(error);
    m_view.showArrowCursor();
}

void ConfigActions::OpenConfigurationFile1Click()
{
    const QString name = m_view.openFileName();
    if (name.isEmpty())
        return;
    m_view.showBusyCursor();
    QString error;
    if (ReadConfigFile(name, m_state.Config, &error)) {
        MatrixState &s = m_state;
        s.SuppressCommands = 1;
        ApplyOpenedConfig();
        s.SuppressCommands = 0;
        m_view.showMessage(QStringLiteral(
            "File open successful. Kestavion Command updated with settings from file."));
    } else {
        m_view.showMessage(error);
    }
    m_view.showArrowCursor();
}

void ConfigActions::ApplyOpenedConfig()
{
    MatrixState &s = m_state;

    for (LabelKind kind : kLabelKinds) {
        LabelSlot *labelSlots = slotsOf(s.Config, kind);
        for (int n = 1; n <= LabelCountOf(kind); ++n)
            m_labels.setLabel(kind, n, LoadLabel(labelSlots[n - 1]));
    }

    // Any bytes are taken as they are; the grouping and routing operations bound every index.
    s.Groups = s.Config.Groups;
    m_grouping.ShowLoadedGroups();

    std::copy(std::begin(s.Config.Routes), std::end(s.Config.Routes), std::begin(s.Routes));
    for (int o = 0; o < OutputsOf(s); ++o) {
        m_routing.UpdateVideoLabelText(o);
        m_routing.UpdateVideoLabelColour(o);
    }
}

} // namespace kv
