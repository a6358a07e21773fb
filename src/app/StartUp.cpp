// Start-up and shutdown: the connection question when the window first shows, and the exit
// confirmation.

#include "app/MatrixForm.h"
#include "control/Core.h"

#include "app/WindowHost.h"
#include "config/IpSaveFile.h"
#include "link/EthernetLink.h"
#include "link/SerialLink.h"
#include "ui/Dialogs.h"

namespace kv {

namespace {
const QString kConnectTitle =
    QStringLiteral("Orvask Delvane - KV Control :Establish COM port communication with KV SDI");
const QString kConnectQuestion = QStringLiteral(
    "\tDo you want to connect to Kestavion via the serial port?\n\n   \tSerial Port Connection - "
    "Click Yes\n   \tEthernet connection - Click No then go to Setup Tab\n   \tRS-485 - Not "
    "available\n   \tNo Connection - Click No");
const QString kConnectLater = QStringLiteral(
    "To connect later:\n\n      \tSerial port - go to 'Serial Port->Connect to Kestavion' menu "
    "item\n      \tEthernet - go to Setup Tab, enter IP Address and choose Ethernet\n      \tOr "
    "refer to Kestavion manual for help with KV Control connections");
const QString kExitTitle = QStringLiteral("Orvask Delvane - KV Control :Confirm Exit");
const QString kExitQuestion = QStringLiteral("Are you sure you want to exit this application?");
} // namespace

void TMatrixForm::FormShow()
{
    m_core->state().SuppressCommands = 1;
    if (m_startUp.answer != StartUpChoice::Answer::Ask) {
        connectAtStartUp();
        return;
    }
    Dialogs &dialogs = Dialogs::instance();
    if (dialogs.yesNo(this, kConnectTitle, kConnectQuestion)) {
        m_core->serialLink().SearchAllClick();
        return;
    }
    dialogs.plain(this, kConnectLater);
    m_core->ethernetLink().LoadIpAddress();
}

void TMatrixForm::connectAtStartUp()
{
    // Nobody may be there to answer: the question and the note after No are not shown.
    switch (m_startUp.answer) {
    case StartUpChoice::Answer::Serial: m_core->serialLink().SearchAllClick(); break;
    case StartUpChoice::Answer::None:
        if (const std::optional<QString> saved = ReadIpSaveFile())
            m_host->setIpAddressText(*saved);
        break;
    case StartUpChoice::Answer::Ethernet:
        // As the operator does it: the address on the Setup page, then "Ethernet".
        m_host->setIpAddressText(m_startUp.address);
        m_host->setSerialModeIndex(1);
        break;
    case StartUpChoice::Answer::Ask: break;
    }
}

bool TMatrixForm::FormCloseQuery()
{
    if (!Dialogs::instance().yesNo(this, kExitTitle, kExitQuestion))
        return false;
    m_core->ethernetLink().closeConnection();
    return true;
}

} // namespace kv
