#pragma once
// A demo run without an operator, for machines without a display. Only the program entry
// reads these variables; they change nothing else in the console:
//   KV_DEMO_AUTOCONNECT=1   every message box answers itself (Yes to the start-up question,
//                           the ending answer to every other), its text echoed on stderr
//   KV_DEMO_SCREENSHOT=FILE after start-up, save a picture of the window there and exit

#include "ui/Dialogs.h"

#include <memory>

namespace kv {

class TMatrixForm;

class DemoRun : public QtDialogs {
public:
    // nullptr unless KV_DEMO_AUTOCONNECT=1.
    static std::unique_ptr<DemoRun> fromEnvironment();
    ~DemoRun() override;

    Answer message(QWidget *parent, const QString &title, const QString &text, Buttons buttons,
                   Icon icon) override;

    // After the window has shown: the screenshot and the end, or the event loop.
    int finish(TMatrixForm &form);

private:
    DemoRun() = default;
    QString m_screenshot;
};

} // namespace kv
