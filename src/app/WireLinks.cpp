// The serial and Ethernet links, the Setup page's link controls, the About page's serial
// indicators, and the menu items of the frame (Exit, About).

#include "app/MatrixForm.h"
#include "control/Core.h"

#include "app/AboutBox.h"
#include "app/WindowHost.h"
#include "link/CommandChannel.h"
#include "link/EthernetLink.h"
#include "link/LineMonitor.h"
#include "link/SerialLink.h"
#include "ui/AboutPage.h"
#include "ui/RadioGroup.h"
#include "ui/SetupPage.h"
#include "ui/TerminalView.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <memory>

namespace kv {

void TMatrixForm::wireLinks()
{

    // "Serial Port" menu.
    for (int n = 1; n <= 4; ++n) {
        QAction *item = m_menu.COMItems[n - 1];
        connect(item, &QAction::triggered, this, [this, item, n](bool checked) {
            // The check marks are the link's to set, not the click's.
            item->setChecked(!checked);
            if (!refused())
                m_core->serialLink().ComItemClick(n);
        });
    }
    m_menu.COM1->setToolTipsVisible(true);
    m_host->refreshComToolTips();
    connect(m_menu.COM1, &QMenu::aboutToShow, this, [this] { m_host->refreshComToolTips(); });
    SerialLink *serial = &m_core->serialLink();
    connect(m_menu.SearchForKestavion1, &QAction::triggered, serial,
            gated([serial] { serial->SearchAllClick(); }));
    connect(m_menu.DisconnectSerialCommunication1, &QAction::triggered, serial,
            gated([serial] { serial->DisconnectSerialCommunication1Click(); }));
    const std::pair<QAction *, int> speeds[] = {
        {m_menu.Baud19200, 19200}, {m_menu.Baud38400, 38400}, {m_menu.Baud57600, 57600}};
    for (const auto &[item, baud] : speeds)
        connect(item, &QAction::triggered, &m_core->serialLink(),
                gated([this, b = baud] { m_core->serialLink().SetSpeed(b); }));

    // Setup page: the link choice and the switcher's address.
    // The link's own changes of the choice run the handler inside the run that made them;
    // the operator's choice during an exchange falls back to the item the link is on.
    RadioGroup *mode = SetupTabSheet->SerialModeRadioGroup;
    connect(mode, &RadioGroup::clicked, &m_core->ethernetLink(),
            [this, mode, shown = std::make_shared<int>(mode->itemIndex())](int index) {
                if (refused() && !m_core->ethernetLink().selectingItself()) {
                    QSignalBlocker block(mode);
                    mode->setItemIndex(*shown);
                    return;
                }
                *shown = index;
                m_core->ethernetLink().SerialModeRadioGroupClick();
            });

    // About page: what the switcher sends, and the line lights while monitoring.
    auto *lines = new LineMonitor(m_core->channel(), this);
    connect(lines, &LineMonitor::changed, AboutTabSheet, [this](const LineStates &s) {
        AboutTabSheet->setLights(s.txd, s.rxd, s.dcd, s.dsr, s.cts);
    });
    connect(&m_core->channel(), &CommandChannel::serialBytesReceived, AboutTabSheet->AdTerminal1,
            &TerminalView::write);

    // Frame: Exit asks the window to close (the confirmation runs there); About.
    connect(m_menu.Exit1, &QAction::triggered, this, [this] { close(); });
    connect(m_menu.About1, &QAction::triggered, this, [this] {
        AboutBox box(this);
        box.exec();
    });

    setWindowIcon(QIcon(ProductPicture()));
    AboutTabSheet->Version1Label->setText(kConsoleVersion);
}

} // namespace kv
