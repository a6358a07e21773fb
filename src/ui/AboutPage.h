#pragma once
// The About page: the product's name and versions, the serial terminal view, and the RS-232
// indicators (five line lights and the number of the port in use).

#include <QPixmap>
#include <QWidget>

class QGroupBox;
class QLabel;

namespace kv {

class Lamp;
class TerminalView;

class AboutPage : public QWidget {
    Q_OBJECT
public:
    explicit AboutPage(QWidget *parent = nullptr);

    QLabel *Image1;
    QLabel *ProductNameLabel;
    QLabel *GuiVersionCaption;
    QLabel *Version1Label;
    QLabel *FirmwareVersionCaption;
    QLabel *FirmwareVersionLabel;
    TerminalView *AdTerminal1;

    QGroupBox *RS232GroupBox;
    Lamp *ApdStatusLight5; // TXD
    Lamp *ApdStatusLight4; // RXD
    Lamp *ApdStatusLight3; // DCD
    Lamp *ApdStatusLight6; // DSR
    Lamp *ApdStatusLight2; // CTS
    QLabel *ComNumberLabel;

    void setLights(bool txd, bool rxd, bool dcd, bool dsr, bool cts);
    // The port number, with its device path as a tool tip.
    void setComNumber(const QString &text, const QString &devicePath);
};

// The About page's picture, also the application's icon.
QPixmap ProductPicture();

} // namespace kv
