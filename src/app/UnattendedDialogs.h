#pragma once
// Boxes for a console nobody sits at (--connect): none is shown. Each is answered the way
// that ends it and changes nothing (No, Cancel, OK), and its title and text go to stderr, so
// that a waiting exchange gives up as an operator's Cancel would, instead of for ever.

#include "ui/Dialogs.h"

namespace kv {

// Echoes the box on stderr and gives its answer; the demo's boxes answer the same way.
Dialogs::Answer AnswerUnattended(const QString &title, const QString &text,
                                 Dialogs::Buttons buttons);

class UnattendedDialogs : public Dialogs {
public:
    Answer message(QWidget *, const QString &title, const QString &text, Buttons buttons,
                   Icon) override
    {
        return AnswerUnattended(title, text, buttons);
    }
    // Nobody to pick a file: as if the dialog were cancelled.
    QString openFileName(QWidget *) override { return {}; }
    QString saveFileName(QWidget *) override { return {}; }
};

} // namespace kv
