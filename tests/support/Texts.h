#pragma once
// What the operator reads, written out once for every suite that checks it. Kept apart from
// the console's own constants on purpose: a slip in one of those must fail a test, not
// travel into it. The odd spellings, spaces and tabs are the switcher console's own.

#include <QString>

namespace kv::test::texts {

// Titles
inline const QString kAppTitle = "Orvask Delvane Kestavion";
// Before a model code arrives; 8 x 8 although the counts are 16.
inline const QString kInitialCaption = "Orvask Delvane, LLC :- KV Control SDI (8 x 8)";
// The main window's caption once the switcher has reported its model code; empty for a code
// that names no model.
inline QString Caption(int model)
{
    switch (model) {
    case 10: return "Orvask Delvane, LLC :- KV Control HD SDI (8 x 8)";
    case 11: return "Orvask Delvane, LLC :- KV Control HD SDI (16 x 16)";
    case 12: return "Orvask Delvane, LLC :- KV Control SD SDI (16 x 16)";
    case 20: return "Orvask Delvane, LLC :- KV Control HD-15 (16 x 16)";
    default: return {};
    }
}
inline const QString kExitTitle = "Orvask Delvane - KV Control :Confirm Exit";
inline const QString kInfoCaption = "Orvask Delvane - KV SDI Info";
inline const QString kConnectTitle =
    "Orvask Delvane - KV Control :Establish COM port communication with KV SDI";
inline const QString kSerialTitle =
    "Orvask Delvane - KV Control :Establish Serial communication with KV SDI";
inline const QString kEthernetTitle =
    "Orvask Delvane - KV Control :Establish Ethernet communication with KV SDI";
inline const QString kReadErrorTitle =
    "Delvane Orvask - KV Control :Error reading from Kestavion(s)";
inline const QString kRetryTitle = "COM Port error";
inline const QString kResetTitle = "KV Control - Reset Verification";

// Start-up and the serial link
inline const QString kConnectQuestion =
    "\tDo you want to connect to Kestavion via the serial port?\n\n   \tSerial Port Connection - "
    "Click Yes\n   \tEthernet connection - Click No then go to Setup Tab\n   \tRS-485 - Not "
    "available\n   \tNo Connection - Click No";
inline const QString kConnectLater =
    "To connect later:\n\n      \tSerial port - go to 'Serial Port->Connect to Kestavion' menu "
    "item\n      \tEthernet - go to Setup Tab, enter IP Address and choose Ethernet\n      \tOr "
    "refer to Kestavion manual for help with KV Control connections";
inline const QString kSearchFailed =
    "\tSerial Port Connection Failed.\n\n      \t1) Please check RS-232 cable.\n      \t2) "
    "Make sure COM port is not in use.\n      \t3) Make sure Kestavion boot-up initialization "
    "has been completed.\n      \t4) Go to 'Serial Port->Connect to Kestavion' menu item to "
    "connect later.";
inline const QString kConnectFailed =
    "\tSerial Port Connection Failed.\n\n      \t1) Please check COM port selection and "
    "RS-232 cable.\n      \t2) Make sure COM port is not in use.\n      \t3) Make sure "
    "Kestavion boot-up initialization has been completed.\n      \t4) Go to 'Serial "
    "Port->Connect to Kestavion' menu item to connect later.";
inline const QString kCheckingCom = "Checking COM port communication. Please wait....";
inline QString Established(int com)
{
    return QString("Established communication with Kestavion on Com %1").arg(com);
}
inline QString LinkLost(int com)
{
    return QString("The connection to Kestavion on COM %1 was lost. Check the cable or "
                   "adapter, then connect again from the Serial Port menu.")
        .arg(com);
}

// Exchanges
inline const QString kSending = "Sending command....";
inline const QString kSerialTimeout =
    "Error! Timeout occured. Unable to communicate with Kestavion. Please verify that Serial "
    "Port is connected to Kestavion.";
inline const QString kEthernetTimeout =
    "Error! Timeout occured. Unable to communicate with Kestavion. Please verify that Ethernet "
    "is connected to Kestavion.";
inline const QString kRetryText =
    "Error! COM Port communication with Kestavion has failed. Please check           the RS-232 "
    "cable. Click OK to retry. Click Cancel to FAIL communications.";
inline const QString kBufferOverflow =
    "Error! RS-232 communication port output buffer overflow. Please resend command.";

// Ethernet
inline const QString kSerialQuestion =
    "KV Control is currently connected to the KV SDI via the Ethernet. Do you want to disconnect "
    "the Ethernet connection and try the Serial connection?";
inline const QString kEthernetQuestion =
    "KV Control is currently connected to the KV SDI via the serial ports. Do you want to "
    "disconnect the serial port connection and try the Ethernet connection?";
inline const QString kIpConnectFailed = "Error: Unable to connect to Kestavion with given IP Address";
inline const QString kSocketDisconnect = "Socket Disconnect Error";
inline const QString kInvalidIpAddress =
    "Error! The IP Address is not valid. Please enter four numbers from 0 to 255 separated by "
    "dots, for example 192.168.1.20.";
inline const QString kIpNeedsLink = "Must have connection to change IP Address";
inline const QString kIpOver255 = "IP Address segments cannot be > 255";

// The status read
inline const QString kQuerying = "KV Control querying Kestavion. Please wait....";
inline const QString kGroupsUnread =
    "KV Control unable to read Grouping Status. (NOTE: KV Control settings on Grouping will be "
    "invalid)";
inline const QString kPresetsUnread =
    "KV Control unable to read Preset Status. (NOTE: KV Control settings will be invalid)";
inline QString ParseError(const QString &keyword)
{
    return QString("Error parsing %1 message....").arg(keyword);
}
// link: "Serial" or "Ethernet"; code: the read's result.
inline QString ReadFailed(const QString &link, int code)
{
    return QString("Kestavion communication error! Please check %1 connections and try again (%2)")
        .arg(link)
        .arg(code);
}

// Files
inline const QString kConfigOpened =
    "File open successful. Kestavion Command updated with settings from file.";
inline const QString kConfigOpenError =
    "Error! Unable to open Configuration file. Check if file exist?";
inline const QString kConfigSizeError = "Error! File corrupted. File size invalid.";
inline const QString kConfigCreateError =
    "Error! Unable to create Configuration file. Check if disk is write-protected";
inline const QString kIpOpenError = "Error! Unable to open IPSave.ini file.";
inline const QString kIpCreateError =
    "Error! Unable to create IPSave.ini file. Check if disk is write-protected";

// System commands
inline const QString kResetQuestion =
    "Resetting the Kestavion will reset settings to saved values. Are you sure you want to "
    "reset the Kestavion?";
inline const QString kFactoryResetQuestion =
    "Resetting the Kestavion will reset settings to factory values. Are you sure you want to "
    "factory reset the Kestavion?";
inline const QString kResetProgress = "Kestavion reset in progress. Please wait....";

// Sequencing; kind: "Preset" or "Delay"
inline QString NotValidNumber(const QString &text, const QString &kind)
{
    return QString("Error! '%1' is not a valid %2 number.").arg(text, kind);
}
inline const QString kPresetOutOfLimits = "Error! Preset number out of limits (1-8)";
inline const QString kDelayOutOfLimits = "Error! Delay number out of limits (3-9999)";
inline QString PresetEmpty(const QString &text)
{
    return QString("Error! Preset #'%1' is currently empty. Select a different Preset number").arg(text);
}
inline const QString kNoSequence = "Error! No Preset Sequence enabled.";

} // namespace kv::test::texts
