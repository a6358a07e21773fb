#include "app/UnattendedDialogs.h"

#include <cstdio>

namespace kv {

Dialogs::Answer AnswerUnattended(const QString &title, const QString &text,
                                 Dialogs::Buttons buttons)
{
    std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(text.simplified()));
    std::fflush(stderr);
    switch (buttons) {
    case Dialogs::Buttons::YesNo:
        // Only the start-up question is answered Yes: connect over the serial port.
        return title.contains(QLatin1String("Establish COM port communication"))
                   ? Dialogs::Answer::Yes
                   : Dialogs::Answer::No;
    case Dialogs::Buttons::OkCancel: return Dialogs::Answer::Cancel;
    case Dialogs::Buttons::Ok: break;
    }
    return Dialogs::Answer::Ok;
}

} // namespace kv
