#pragma once
// A Dialogs for tests: records every box and answers from a queue. With the queue empty a
// box gets the answer that ends things (No, Cancel, OK), so a forgotten box never loops.

#include "ui/Dialogs.h"

#include <QList>
#include <functional>
#include <QStringList>

namespace kv::test {

struct ShownBox {
    QString title;
    QString text;
    Dialogs::Buttons buttons;
    Dialogs::Icon icon;
};

class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() { Dialogs::install(this); }
    ~ScriptedDialogs() override { Dialogs::install(nullptr); }

    Answer message(QWidget *parent, const QString &title, const QString &text, Buttons buttons,
                   Icon icon) override;
    QString openFileName(QWidget *) override { return takeName(); }
    QString saveFileName(QWidget *) override { return takeName(); }

    void answer(Answer a) { m_answers.append(a); }
    void nextFileName(const QString &name) { m_names.append(name); }
    // Runs when the next box appears, before it is answered (e.g. to look at the screen).
    std::function<void(const ShownBox &)> onShow;

    QList<ShownBox> boxes;
    QStringList texts() const;
    void clear() { boxes.clear(); }

private:
    QString takeName() { return m_names.isEmpty() ? QString() : m_names.takeFirst(); }
    QList<Answer> m_answers;
    QStringList m_names;
};

} // namespace kv::test
