#pragma once
// What an operator does in several suites, in one place: scripted clicks, the File menu's
// configuration items, choosing Ethernet on the Setup page, the sequence's steps.

#include "ConsoleFixture.h"

#include "ui/LabelingPage.h"
#include "ui/RadioGroup.h"
#include "ui/SequencingPage.h"
#include "ui/SwitchingPage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMap>
#include <QTabWidget>
#include <QtTest>

namespace kv::test {

// Clicks by short names, one step after the other; false at the first that cannot be taken.
// T Take, C Cancel, X Clear All Routing, U Read from Kestavion, Z Undo Last Take, S Save,
// SC Cancel the save, R Recall, RC Cancel the recall, OK Confirm, GR remove, GA remove all
// from the groups; oN / iN output / input button, pN preset, kN reclocker, gN group,
// goN / giN group output / input; P leaves the Video Switching page for Sequencing and
// comes back; PL the same through Labeling. Anything else is a control's objectName.
inline bool Operate(ConsoleFixture &f, const QString &script)
{
    static const QMap<QString, QString> named = {
        {"T", "TakeButton"},          {"C", "CancelTakeButton"},
        {"X", "ClearAllRoutingButton"}, {"U", "UpdateStatus"},
        {"Z", "UndoTake1"},           {"S", "PresetsSaveButton"},
        {"SC", "PresetSaveCancelButton"}, {"R", "PresetsRecallButton"},
        {"RC", "PresetRecallCancelButton"}, {"OK", "PresetRecallConfirmButton"},
        {"GR", "GroupingRemoveButton"}, {"GA", "GroupingRemoveAllButton"}};
    static const QList<QPair<QString, QString>> prefixes = {
        {"go", "GroupOutputButton"}, {"gi", "GroupInputButton"}, {"g", "GroupingRadioGroupItem"},
        {"p", "PresetButton"},       {"o", "OutputButton"},      {"i", "InputButton"},
        {"k", "ReclockerCheckBox"}};
    QTabWidget *pages = f.find<QTabWidget>("MainPageControl");
    for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
        if (step == "P" || step == "PL") {
            if (step == "P")
                pages->setCurrentWidget(f.find<SequencingPage>("SequencingTabSheet"));
            else
                pages->setCurrentWidget(f.find<LabelingPage>("LabelTabSheet"));
            pages->setCurrentWidget(f.find<SwitchingPage>("ControlTabSheet"));
            continue;
        }
        QString name = named.value(step);
        for (const auto &[prefix, stem] : prefixes) {
            if (name.isEmpty() && step.size() > prefix.size() && step.startsWith(prefix) &&
                step.at(prefix.size()).isDigit())
                name = stem + step.mid(prefix.size());
        }
        if (name.isEmpty())
            name = step;
        if (!f.click(name)) {
            qWarning("step %s could not be taken", qPrintable(step));
            return false;
        }
    }
    return true;
}

// The File menu's items with the file dialog answered by path.
inline bool OpenConfigFile(ConsoleFixture &f, const QString &path)
{
    f.dialogs.nextFileName(path);
    return f.click("OpenConfigurationFile1");
}
inline bool SaveConfigFile(ConsoleFixture &f, const QString &path)
{
    f.dialogs.nextFileName(path);
    return f.click("SaveConfigurationtoFile1");
}

// Which of Serial (0) and Ethernet (1) the Setup page has chosen.
inline int SerialModeIndex(ConsoleFixture &f)
{
    return f.find<RadioGroup>("SerialModeRadioGroup")->itemIndex();
}

// Ethernet chosen on the Setup page with this address, as the operator does it.
inline void ChooseEthernet(ConsoleFixture &f, const QString &address)
{
    f.find<QLineEdit>("IPAddrEdit")->setText(address);
    f.click("SerialModeEthernet");
}
// The same with 127.0.0.1 and the switcher on this loopback port.
inline void ChooseEthernet(ConsoleFixture &f, quint16 port)
{
    qputenv("KV_TCP_PORT", QByteArray::number(port));
    ChooseEthernet(f, QStringLiteral("127.0.0.1"));
}

// "n:preset:delay,..." switches step n on with those texts in its edits.
inline void SetSequenceSteps(ConsoleFixture &f, const QString &steps)
{
    for (const QString &step : steps.split(',', Qt::SkipEmptyParts)) {
        const QStringList part = step.split(':');
        const QString n = part.value(0);
        f.find<QCheckBox>("PresetSeqEnableCheckBox" + n)->setChecked(true);
        f.find<QLineEdit>("PresetSeqEdit" + n)->setText(part.value(1));
        f.find<QLineEdit>("PresetDelayEdit" + n)->setText(part.value(2));
    }
}

} // namespace kv::test
