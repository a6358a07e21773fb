#pragma once
// The benchmark's operator: answers Yes to the start-up question (connect over the serial
// port) and to leaving the serial link for Ethernet, No or Cancel to every other question,
// and gives the file dialogs the names it is told. Every box is counted: a box during a
// measurement means a failed exchange.

#include "ui/Dialogs.h"

#include <QStringList>
#include <functional>

namespace kv::bench {

class BenchDialogs : public Dialogs {
public:
    BenchDialogs() { Dialogs::install(this); }
    ~BenchDialogs() override { Dialogs::install(nullptr); }

    Answer message(QWidget *, const QString &title, const QString &text, Buttons buttons,
                   Icon) override
    {
        texts << text;
        if (asked)
            asked(text);
        if (buttons == Buttons::YesNo)
            return title.contains(QLatin1String("Establish COM port")) ||
                           text.contains(QLatin1String("try the Ethernet connection"))
                       ? Answer::Yes
                       : Answer::No;
        return buttons == Buttons::OkCancel ? Answer::Cancel : Answer::Ok;
    }
    QString openFileName(QWidget *) override { return fileName; }
    QString saveFileName(QWidget *) override { return fileName; }

    QString fileName;
    QStringList texts;
    std::function<void(const QString &text)> asked; // before the box is answered
};

} // namespace kv::bench
