#include "app/MainMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenuBar>

namespace kv {

namespace {

QAction *item(QMenu *menu, const char *name, const QString &caption)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QMenu *submenu(QMenu *parent, const char *name, const QString &caption)
{
    QMenu *m = parent->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

} // namespace

MainMenu MainMenu::build(QMainWindow *window)
{
    MainMenu m;
    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    m.File1 = bar->addMenu(QStringLiteral("File"));
    m.File1->setObjectName(QStringLiteral("File1"));
    m.OpenConfigurationFile1 =
        item(m.File1, "OpenConfigurationFile1", QStringLiteral("Open Configuration File"));
    m.SaveConfigurationtoFile1 =
        item(m.File1, "SaveConfigurationtoFile1", QStringLiteral("Save Configuration to File"));
    m.File1->addSeparator();
    m.Exit1 = item(m.File1, "Exit1", QStringLiteral("Exit"));
    m.File1->addSeparator();
    m.ExportLabels1 = item(m.File1, "ExportLabels1", QStringLiteral("Export Labels..."));
    m.ImportLabels1 = item(m.File1, "ImportLabels1", QStringLiteral("Import Labels..."));

    m.Search1 = bar->addMenu(QStringLiteral("Serial Port"));
    m.Search1->setObjectName(QStringLiteral("Search1"));
    m.COM1 = submenu(m.Search1, "COM1", QStringLiteral("Open COM"));
    const char *comNames[4] = {"COM11", "COM21", "COM31", "COM41"};
    for (int n = 0; n < 4; ++n) {
        m.COMItems[n] = item(m.COM1, comNames[n], QStringLiteral("COM%1").arg(n + 1));
        m.COMItems[n]->setCheckable(true);
    }
    m.COMItems[0]->setChecked(true);

    // Present but never enabled: the line settings are fixed for the operator.
    m.SettingsAdvusersonly1 =
        submenu(m.Search1, "SettingsAdvusersonly1", QStringLiteral("Settings (Adv users only)"));
    m.SettingsAdvusersonly1->menuAction()->setEnabled(false);
    QMenu *baud = submenu(m.SettingsAdvusersonly1, "Baud1", QStringLiteral("Baud"));
    QAction *def = item(baud, "Default1", QStringLiteral("Default"));
    def->setCheckable(true);
    def->setChecked(true);
    baud->addSeparator();
    m.Baud19200 = item(baud, "N192001", QStringLiteral("19200"));
    m.Baud38400 = item(baud, "N384001", QStringLiteral("38400"));
    m.Baud57600 = item(baud, "N576001", QStringLiteral("57600"));
    QMenu *parity = submenu(m.SettingsAdvusersonly1, "Parity1", QStringLiteral("Parity"));
    const char *parityNames[5] = {"None1", "Odd1", "Even1", "Mark1", "Space1"};
    const char *parityCaptions[5] = {"None", "Odd", "Even", "Mark", "Space"};
    for (int n = 0; n < 5; ++n) {
        QAction *a = item(parity, parityNames[n], QString::fromLatin1(parityCaptions[n]));
        a->setCheckable(true);
        a->setChecked(n == 0);
    }

    m.SearchForKestavion1 =
        item(m.Search1, "SearchForKestavion1", QStringLiteral("Connect to Kestavion SDI"));
    m.ReadfromKestavions1 =
        item(m.Search1, "ReadfromKestavions1", QStringLiteral("Read from Kestavion"));
    m.ReadfromKestavions1->setEnabled(false);
    m.Search1->addSeparator();
    m.DisconnectSerialCommunication1 = item(m.Search1, "DisconnectSerialCommunication1",
                                            QStringLiteral("Disconnect Serial Communication"));

    m.buildTools(bar);

    // The menu title itself opens the About box.
    m.About1 = bar->addAction(QStringLiteral("About"));
    m.About1->setObjectName(QStringLiteral("About1"));
    return m;
}

void MainMenu::buildTools(QMenuBar *bar)
{
    Tools1 = bar->addMenu(QStringLiteral("Tools"));
    Tools1->setObjectName(QStringLiteral("Tools1"));
    UndoTake1 = item(Tools1, "UndoTake1", QStringLiteral("Undo Last Take"));
    UndoTake1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    ProtectSelected1 =
        item(Tools1, "ProtectSelected1", QStringLiteral("Protect/Release Selected Output"));
    ProtectSelected1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Tools1->addSeparator();
    RouteLog1 = item(Tools1, "RouteLog1", QStringLiteral("Route Log..."));
    Tools1->addSeparator();
    FollowSwitcher1 = item(Tools1, "FollowSwitcher1", QStringLiteral("Follow Switcher Changes"));
    FollowSwitcher1->setCheckable(true);
    RemoteControl1 = item(Tools1, "RemoteControl1", QStringLiteral("Remote Control..."));
}

} // namespace kv
