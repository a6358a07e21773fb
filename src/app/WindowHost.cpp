#include "app/WindowHost.h"

#include "app/InfoForm.h"
#include "app/MatrixForm.h"
#include "app/PageLock.h"
#include "config/IpSaveFile.h"
#include "control/Core.h"
#include "control/StatusRead.h"
#include "link/ComPorts.h"
#include "link/ServingWait.h"
#include "ui/AboutPage.h"
#include "ui/Dialogs.h"
#include "ui/GroupingPage.h"
#include "ui/LabelingPage.h"
#include "ui/PresetPanel.h"
#include "ui/RadioGroup.h"
#include "ui/SetupPage.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace kv {

WindowHost::WindowHost(TMatrixForm &form, TInfoForm &progress)
    : m_form(form), m_progress(progress), m_pageLock(new PageLock(form.MainPageControl))
{
}

void WindowHost::showMessage(const QString &text) { Dialogs::instance().plain(&m_form, text); }

void WindowHost::showMessage(const QString &title, const QString &text)
{
    Dialogs::instance().message(&m_form, title, text, Dialogs::Buttons::Ok, Dialogs::Icon::None);
}

bool WindowHost::askOkCancel(const QString &title, const QString &text)
{
    return Dialogs::instance().okCancel(&m_form, title, text);
}

bool WindowHost::askYesNo(const QString &title, const QString &text)
{
    return Dialogs::instance().yesNo(&m_form, title, text);
}

void WindowHost::showError(const QString &text)
{
    Dialogs::instance().message(&m_form, kAppTitle, text, Dialogs::Buttons::Ok,
                                Dialogs::Icon::Stop);
}

void WindowHost::showReadError(const QString &text)
{
    showMessage(QStringLiteral("Delvane Orvask - KV Control :Error reading from Kestavion(s)"),
                text);
}

void WindowHost::setStatusText(const QString &text)
{
    m_form.MainStatusBar->showMessage(text);
    // Most callers block the event loop next; the operator should still see the text. A
    // cleared text ends an operation, and the event loop paints it: forcing the paint would
    // also paint every control that changed meanwhile.
    if (!text.isEmpty())
        m_form.MainStatusBar->repaint();
}

void WindowHost::setPagesEnabled(bool enabled) { m_pageLock->setEnabled(enabled); }

bool WindowHost::showBusyCursor()
{
    const QCursor *current = QGuiApplication::overrideCursor();
    if (current && current->shape() == Qt::WaitCursor)
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    return true;
}

void WindowHost::showArrowCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void WindowHost::processEvents() { QCoreApplication::processEvents(); }

void WindowHost::pause(int ms) { ServeFor(ms); }

void WindowHost::showProgress(const QString &text)
{
    m_progress.setMessage(text);
    m_progress.showNow();
}

void WindowHost::showProgress() { m_progress.showNow(); }

void WindowHost::hideProgress() { m_progress.hide(); }

void WindowHost::setProgressMessage(const QString &text) { m_progress.setMessage(text); }

void WindowHost::setProgressDots(const QString &dots) { m_progress.setProgress(dots); }

void WindowHost::showProgressBeforeBlocking(const QString &text)
{
    showProgress(text);
    QCoreApplication::processEvents();
    m_progress.repaint();
    QCoreApplication::processEvents();
}

QString WindowHost::saveFileName() { return Dialogs::instance().saveFileName(&m_form); }

QString WindowHost::openFileName() { return Dialogs::instance().openFileName(&m_form); }

void WindowHost::refreshLabelRows(int inputCount, int outputCount)
{
    m_form.LabelTabSheet->RefreshLabelRows(inputCount, outputCount);
}

void WindowHost::showSystemInfo(bool frontPanelLock, bool viState, const QString &ipAddress,
                                const QString &firmwareVersion)
{
    m_form.SetupTabSheet->showSystemInfo(frontPanelLock, viState, ipAddress);
    m_form.AboutTabSheet->FirmwareVersionLabel->setText(firmwareVersion);
}

void WindowHost::holdMenus(bool held)
{
    const MainMenu &m = m_form.menu();
    QAction *menus[2] = {m.File1->menuAction(), m.Search1->menuAction()};
    for (int k = 0; k < 2; ++k) {
        if (held) {
            m_menusWereEnabled[k] = menus[k]->isEnabled();
            menus[k]->setEnabled(false);
        } else {
            menus[k]->setEnabled(m_menusWereEnabled[k]);
        }
    }
}

void WindowHost::rereadSystemStatus() { m_form.core().statusRead().SystemRecallReread(); }

void WindowHost::setItemEnabled(Item item, bool enabled)
{
    const MainMenu &menu = m_form.menu();
    switch (item) {
    case Item::SearchForKestavion1: menu.SearchForKestavion1->setEnabled(enabled); break;
    case Item::ReadfromKestavions1: menu.ReadfromKestavions1->setEnabled(enabled); break;
    case Item::DisconnectSerialCommunication1:
        menu.DisconnectSerialCommunication1->setEnabled(enabled);
        break;
    }
}

void WindowHost::setComItemChecked(int port, bool checked)
{
    if (port >= 1 && port <= kComPortCount)
        m_form.menu().COMItems[port - 1]->setChecked(checked);
}

void WindowHost::setComNumber(const QString &text, const QString &devicePath)
{
    m_form.AboutTabSheet->setComNumber(text, devicePath);
}

void WindowHost::ReadfromKestavions1Click()
{
    m_form.core().statusRead().ReadfromKestavions1Click();
}

void WindowHost::LoadIpAddress() { m_form.core().ethernetLink().LoadIpAddress(); }

QString WindowHost::ipAddressText() const { return m_form.SetupTabSheet->IPAddrEdit->text(); }

void WindowHost::setIpAddressText(const QString &text)
{
    m_form.SetupTabSheet->IPAddrEdit->setText(text);
}

int WindowHost::serialModeIndex() const
{
    return m_form.SetupTabSheet->SerialModeRadioGroup->itemIndex();
}

void WindowHost::setSerialModeIndex(int index)
{
    m_form.SetupTabSheet->SerialModeRadioGroup->setItemIndex(index);
}

bool WindowHost::writeIpSaveFile(const QString &text) { return WriteIpSaveFile(text); }

std::optional<QString> WindowHost::readIpSaveFile() { return ReadIpSaveFile(); }

void WindowHost::refreshComToolTips()
{
    for (int n = 1; n <= kComPortCount; ++n) {
        const QString path = ComPortPath(n);
        m_form.menu().COMItems[n - 1]->setToolTip(
            path.isEmpty() ? QStringLiteral("COM%1: no device").arg(n) : path);
    }
}

QString WindowHost::labelText(LabelKind kind, int n) const
{
    return m_form.LabelTabSheet->labelText(kind, n);
}

void WindowHost::setLabelText(LabelKind kind, int n, const QString &text)
{
    m_form.LabelTabSheet->setLabelText(kind, n, text);
}

void WindowHost::showCaption(LabelKind kind, int n, const QString &caption)
{
    SwitchingPage &switching = *m_form.ControlTabSheet;
    GroupingPage &grouping = *m_form.GroupingTabSheet;
    switch (kind) {
    case LabelKind::Input:
        switching.inputButton(n)->setText(caption);
        grouping.setInputCaption(n - 1, caption);
        break;
    case LabelKind::Output:
        switching.outputButton(n)->setText(caption);
        grouping.setOutputCaption(n - 1, caption);
        break;
    case LabelKind::Group:
        grouping.setGroupExistCaption(n - 1, caption);
        grouping.setGroupItemText(n - 1, caption);
        break;
    case LabelKind::Preset: m_form.PresetsGroupBox->setPresetCaption(n - 1, caption); break;
    }
}

} // namespace kv
