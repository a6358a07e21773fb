#include "app/AboutBox.h"
#include "app/CommandLine.h"
#include "app/DemoRun.h"
#include "app/GuardedApplication.h"
#include "app/MatrixForm.h"
#include "app/RemoteControl.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    kv::GuardedApplication app(argc, argv);
    // No display name: xcb and Wayland would append it to every window title.
    QApplication::setApplicationName(QStringLiteral("Orvask Delvane Kestavion"));
    QApplication::setApplicationVersion(kv::kConsoleVersion);
    const kv::CommandLine options = kv::CommandLine::parse(QApplication::arguments());
    // One look on every desktop, so button faces take the state colours.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const std::unique_ptr<kv::DemoRun> demo = kv::DemoRun::fromEnvironment();
    TMatrixForm form;
    // Nobody may be at the console: a server it cannot give is a failed start, and no box
    // waits for an answer.
    const bool unattended = options.control.unattended;
    if (unattended)
        form.runUnattended(kv::kUnattendedAnswerMs);
    if (options.control.serve &&
        !form.remoteControl()->serveAtStartUp(options.control.bind, options.control.port,
                                              unattended) &&
        unattended)
        return 2;
    form.setStartUpChoice(options.control.startUp);
    if (options.follow)
        form.followForThisRun();
    form.show();
    if (demo)
        return demo->finish(form);
    return app.exec();
}
