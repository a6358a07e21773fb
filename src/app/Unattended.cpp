// A console nobody attends: a box would hold the exchange behind it, and every client's
// request with it, until someone came. It answers itself instead, and says what it answered.

#include "app/MatrixForm.h"

#include "control/Core.h"
#include "remote/RemoteServer.h"
#include "ui/Dialogs.h"

#include <cstdio>

namespace kv {

void TMatrixForm::runUnattended(int ms)
{
    Dialogs::answerUnattendedAfter(
        ms, [this, ms](const QString &title, const QString &text, Dialogs::Answer answer) {
            const QString said = QString(text).simplified();
            const QString line = QStringLiteral("Unattended: \"%1\" answered %2 after %3 s: %4")
                                     .arg(title, Dialogs::answerName(answer))
                                     .arg(ms / 1000.0)
                                     .arg(said);
            std::fprintf(stderr, "%s\n", qPrintable(line));
            std::fflush(stderr);
            m_core->journal().note(
                QStringLiteral("unattended"),
                QStringLiteral("\"%1\" answered %2").arg(title, Dialogs::answerName(answer)));
            m_remoteServer->refuseWaiting(QStringLiteral("\"%1\" was answered %2 unattended")
                                              .arg(title, Dialogs::answerName(answer)));
        });
}

} // namespace kv
