#include "ScriptedDialogs.h"

namespace kv::test {

Dialogs::Answer ScriptedDialogs::message(QWidget *, const QString &title, const QString &text,
                                         Buttons buttons, Icon icon)
{
    boxes.append({title, text, buttons, icon});
    if (onShow)
        onShow(boxes.last());
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    switch (buttons) {
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::OkCancel:
        return Answer::Cancel;
    case Buttons::Ok:
        break;
    }
    return Answer::Ok;
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const ShownBox &b : boxes)
        out << b.text;
    return out;
}

} // namespace kv::test
