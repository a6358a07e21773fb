#include "ui/AboutPage.h"

#include "ui/Lamp.h"
#include "ui/TerminalView.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace kv {

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

} // namespace

// A small crosspoint matrix: four inputs meeting four outputs, one route lit each.
QPixmap ProductPicture()
{
    QPixmap pm(72, 73);
    pm.fill(QColor(0, 40, 90));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(160, 190, 220), 2));
    for (int i = 0; i < 4; ++i) {
        const int at = 15 + i * 14;
        p.drawLine(8, at, 64, at);
        p.drawLine(at, 8, at, 65);
    }
    p.setPen(Qt::NoPen);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            p.setBrush(r == c ? QColor(0, 255, 0) : QColor(90, 110, 140));
            p.drawEllipse(QPointF(15 + c * 14, 15 + r * 14), 4, 4);
        }
    return pm;
}

AboutPage::AboutPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AboutTabSheet"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(39, 7, 72, 73);
    Image1->setPixmap(ProductPicture());

    ProductNameLabel = label(this, "Label82", QStringLiteral("KV Control SDI"), 215, 16);
    ProductNameLabel->setAlignment(Qt::AlignCenter);
    GuiVersionCaption = label(this, "Label83", QStringLiteral("GUI Version :"), 210, 32);
    Version1Label = label(this, "Version1Label", QStringLiteral("N/A"), 283, 32);
    FirmwareVersionCaption = label(this, "Label111", QStringLiteral("Firmware Version :"), 187, 48);
    FirmwareVersionLabel = label(this, "FirmwareVersionLabel", QStringLiteral("N/A"), 283, 48);
    // The captions end just before their values, whatever the font's width.
    for (QLabel *caption : {GuiVersionCaption, FirmwareVersionCaption}) {
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setGeometry(140, caption->y(), 139, caption->height());
    }
    // The texts change at run time: leave them room.
    Version1Label->resize(120, Version1Label->height());
    FirmwareVersionLabel->resize(120, FirmwareVersionLabel->height());

    AdTerminal1 = new TerminalView(this);
    AdTerminal1->setObjectName(QStringLiteral("AdTerminal1"));
    AdTerminal1->setGeometry(16, 96, 473, 217);

    RS232GroupBox = new QGroupBox(QStringLiteral("RS-232"), this);
    RS232GroupBox->setObjectName(QStringLiteral("RS232GroupBox"));
    RS232GroupBox->setGeometry(21, 328, 372, 57);

    struct Light {
        Lamp **lamp;
        const char *name;
        const char *caption;
    };
    const Light lights[] = {{&ApdStatusLight5, "ApdStatusLight5", "TXD"},
                            {&ApdStatusLight4, "ApdStatusLight4", "RXD"},
                            {&ApdStatusLight3, "ApdStatusLight3", "DCD"},
                            {&ApdStatusLight6, "ApdStatusLight6", "DSR"},
                            {&ApdStatusLight2, "ApdStatusLight2", "CTS"}};
    int x = 12;
    for (const Light &l : lights) {
        *l.lamp = new Lamp(RS232GroupBox);
        (*l.lamp)->setObjectName(QString::fromLatin1(l.name));
        (*l.lamp)->setGeometry(x, 27, 13, 13);
        label(RS232GroupBox, (QByteArray(l.caption) + "Label").constData(),
              QString::fromLatin1(l.caption), x + 17, 26);
        x += 52;
    }
    label(RS232GroupBox, "ComLabel", QStringLiteral("COM:"), x + 6, 26);
    ComNumberLabel = label(RS232GroupBox, "ComNumberLabel", QStringLiteral("None"), x + 40, 26);
    ComNumberLabel->resize(50, ComNumberLabel->height());
}

void AboutPage::setLights(bool txd, bool rxd, bool dcd, bool dsr, bool cts)
{
    ApdStatusLight5->setLit(txd);
    ApdStatusLight4->setLit(rxd);
    ApdStatusLight3->setLit(dcd);
    ApdStatusLight6->setLit(dsr);
    ApdStatusLight2->setLit(cts);
}

void AboutPage::setComNumber(const QString &text, const QString &devicePath)
{
    ComNumberLabel->setText(text);
    ComNumberLabel->setToolTip(devicePath);
}

} // namespace kv
