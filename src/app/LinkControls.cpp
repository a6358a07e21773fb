#include "app/LinkControls.h"

#include "app/InfoForm.h"
#include "app/MatrixForm.h"
#include "app/StatusRead.h"
#include "link/ComPorts.h"
#include "ui/AboutPage.h"
#include "ui/RadioGroup.h"
#include "ui/SetupPage.h"

#include <QAction>
#include <QLineEdit>

namespace kv {

LinkControls::LinkControls(TMatrixForm &form) : QObject(&form), m_form(form)
{
    setObjectName(QStringLiteral("LinkControls"));
}

void LinkControls::setItemEnabled(Item item, bool enabled)
{
    const MainMenu &menu = m_form.menu();
    switch (item) {
    case Item::SearchForKestavion1:
        menu.SearchForKestavion1->setEnabled(enabled);
        break;
    case Item::ReadfromKestavions1:
        menu.ReadfromKestavions1->setEnabled(enabled);
        break;
    case Item::DisconnectSerialCommunication1:
        menu.DisconnectSerialCommunication1->setEnabled(enabled);
        break;
    }
}

void LinkControls::setComItemChecked(int port, bool checked)
{
    if (port >= 1 && port <= kComPortCount)
        m_form.menu().COMItems[port - 1]->setChecked(checked);
}

void LinkControls::setComNumber(const QString &text, const QString &devicePath)
{
    m_form.AboutTabSheet->setComNumber(text, devicePath);
}

void LinkControls::showProgress(const QString &text)
{
    if (TInfoForm *info = m_form.infoForm()) {
        info->setMessage(text);
        info->showNow();
    }
}

void LinkControls::hideProgress()
{
    if (TInfoForm *info = m_form.infoForm())
        info->hide();
}

void LinkControls::ReadfromKestavions1Click()
{
    if (m_form.statusRead)
        m_form.statusRead->ReadfromKestavions1Click();
}

void LinkControls::LoadIpAddress()
{
    if (m_form.ethernetLink)
        m_form.ethernetLink->LoadIpAddress();
}

QString LinkControls::ipAddressText() const { return m_form.SetupTabSheet->IPAddrEdit->text(); }

void LinkControls::setIpAddressText(const QString &text)
{
    m_form.SetupTabSheet->IPAddrEdit->setText(text);
}

int LinkControls::serialModeIndex() const
{
    return m_form.SetupTabSheet->SerialModeRadioGroup->itemIndex();
}

void LinkControls::setSerialModeIndex(int index)
{
    m_form.SetupTabSheet->SerialModeRadioGroup->setItemIndex(index);
}

void LinkControls::refreshComToolTips()
{
    for (int n = 1; n <= kComPortCount; ++n) {
        const QString path = ComPortPath(n);
        m_form.menu().COMItems[n - 1]->setToolTip(
            path.isEmpty() ? QStringLiteral("COM%1: no device").arg(n) : path);
    }
}

} // namespace kv
