#include "app/DemoRun.h"

#include "app/MatrixForm.h"
#include "app/UnattendedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <cstdio>

namespace kv {

std::unique_ptr<DemoRun> DemoRun::fromEnvironment()
{
    if (qEnvironmentVariable("KV_DEMO_AUTOCONNECT") != QLatin1String("1"))
        return nullptr;
    std::unique_ptr<DemoRun> demo(new DemoRun);
    demo->m_screenshot = qEnvironmentVariable("KV_DEMO_SCREENSHOT");
    Dialogs::install(demo.get());
    return demo;
}

DemoRun::~DemoRun() { Dialogs::install(nullptr); }

Dialogs::Answer DemoRun::message(QWidget *, const QString &title, const QString &text,
                                 Buttons buttons, Icon)
{
    return AnswerUnattended(title, text, buttons);
}

int DemoRun::finish(TMatrixForm &form)
{
    if (m_screenshot.isEmpty())
        return QApplication::exec();
    QApplication::processEvents();
    if (!form.grab().save(m_screenshot)) {
        std::fprintf(stderr, "Could not write %s\n", qPrintable(m_screenshot));
        return 1;
    }
    std::printf("Screenshot of the connected console: %s\n",
                qPrintable(QFileInfo(m_screenshot).absoluteFilePath()));
    return 0;
}

} // namespace kv
