#include "app/ConfigActions.h"

#include "app/WindowHost.h"
#include "control/Labels.h"
#include "app/MatrixForm.h"
#include "app/WindowHost.h"
#include "config/ConfigFile.h"
#include "control/Grouping.h"
#include "control/Routing.h"
#include "ui/Dialogs.h"
#include "ui/GroupingPage.h"

#include <algorithm>
#include <iterator>

namespace kv {

namespace {

using LabelSlot = char[kLabelSize];

// The Config slots of one kind of label.
LabelSlot *slotsOf(ConfigRecord &c, LabelKind kind)
{
    switch (kind) {
    case LabelKind::Input:
        return c.InputLabels;
    case LabelKind::Output:
        return c.OutputLabels;
    case LabelKind::Group:
        return c.GroupLabels;
    case LabelKind::Preset:
        break;
    }
    return c.PresetLabels;
}

} // namespace

ConfigActions::ConfigActions(TMatrixForm &form)
    : QObject(&form), m_form(form), m_labels(std::make_unique<Labels>(form.host()))
{
}

ConfigActions::~ConfigActions() = default;

void ConfigActions::GatherLabels()
{
    ConfigRecord &config = m_form.state().Config;
    const MatrixState &s = m_form.state();
    // Slots beyond the model's counts keep what Config held.
    const int counts[4] = {InputsOf(s), OutputsOf(s), kGroupCount, kPresetCount};
    for (LabelKind kind : kLabelKinds) {
        LabelSlot *labelSlots = slotsOf(config, kind);
        for (int i = 0; i < counts[int(kind)]; ++i)
            StoreLabel(labelSlots[i], m_labels->labelText(kind, i + 1));
    }
}

void ConfigActions::SaveConfigurationtoFile1Click()
{
    const QString name = Dialogs::instance().saveFileName(&m_form);
    if (name.isEmpty())
        return;
    m_form.host().showBusyCursor();
    MatrixState &s = m_form.state();
    GatherLabels();
    s.Config.Groups = s.Groups;
    static_assert(sizeof(s.Config.Routes) == sizeof(s.Routes));
    std::copy(std::begin(s.Routes), std::end(s.Routes), std::begin(s.Config.Routes));
    QString error;
    if (!WriteConfigFile(name, s.Config, &error))
        Dialogs::instance().plain(&m_form, error);
    m_form.host().showArrowCursor();
}

void ConfigActions::OpenConfigurationFile1Click()
{
    const QString name = Dialogs::instance().openFileName(&m_form);
    if (name.isEmpty())
        return;
    m_form.host().showBusyCursor();
    QString error;
    if (ReadConfigFile(name, m_form.state().Config, &error)) {
        MatrixState &s = m_form.state();
        s.SuppressCommands = 1;
        ApplyOpenedConfig();
        s.SuppressCommands = 0;
        Dialogs::instance().plain(
            &m_form,
            QStringLiteral(
                "File open successful. Kestavion Command updated with settings from file."));
    } else {
        Dialogs::instance().plain(&m_form, error);
    }
    m_form.host().showArrowCursor();
}

void ConfigActions::ApplyOpenedConfig()
{
    MatrixState &s = m_form.state();

    for (LabelKind kind : kLabelKinds) {
        LabelSlot *labelSlots = slotsOf(s.Config, kind);
        for (int n = 1; n <= LabelCountOf(kind); ++n)
            m_labels->setLabel(kind, n, LoadLabel(labelSlots[n - 1]));
    }

    // Any bytes are taken as they are; the grouping and routing operations bound every index.
    s.Groups = s.Config.Groups;
    m_form.GroupingTabSheet->selectGroup(0);
    m_form.grouping->ShowGroup(0);
    m_form.grouping->UpdateGroupExistBoxes();

    std::copy(std::begin(s.Config.Routes), std::end(s.Config.Routes), std::begin(s.Routes));
    for (int o = 0; o < OutputsOf(s); ++o) {
        m_form.routing->UpdateVideoLabelText(o);
        m_form.routing->UpdateVideoLabelColour(o);
    }
}

} // namespace kv
