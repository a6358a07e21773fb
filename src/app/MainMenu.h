#pragma once
// The main window's menu bar: every item a named QAction, wired by the window.

#include <QPointer>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace kv {

struct MainMenu {
    QMenu *File1 = nullptr;
    QAction *OpenConfigurationFile1 = nullptr;
    QAction *SaveConfigurationtoFile1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *ExportLabels1 = nullptr; // label files (CSV), after Exit
    QAction *ImportLabels1 = nullptr;

    QMenu *Search1 = nullptr;  // "Serial Port"
    QMenu *COM1 = nullptr;     // "Open COM"
    QAction *COMItems[4] = {}; // COM11, COM21, COM31, COM41
    QMenu *SettingsAdvusersonly1 = nullptr;
    QAction *Baud19200 = nullptr; // N192001, N384001, N576001
    QAction *Baud38400 = nullptr;
    QAction *Baud57600 = nullptr;
    QAction *SearchForKestavion1 = nullptr;
    QAction *ReadfromKestavions1 = nullptr;
    QAction *DisconnectSerialCommunication1 = nullptr;

    QMenu *Tools1 = nullptr;             // "Tools", between "Serial Port" and "About"
    QAction *UndoTake1 = nullptr;        // "Undo Last Take", Ctrl+Z
    QAction *ProtectSelected1 = nullptr; // protect or release the selected output, Ctrl+P
    QAction *RouteLog1 = nullptr;        // "Route Log..."
    QAction *RemoteControl1 = nullptr;   // "Remote Control..."
    QAction *FollowSwitcher1 = nullptr;  // "Follow Switcher Changes", checkable

    QAction *About1 = nullptr;

    static MainMenu build(QMainWindow *window);
    void buildTools(QMenuBar *bar);
};

} // namespace kv
