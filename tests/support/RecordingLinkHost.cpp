#include "RecordingLinkHost.h"

namespace kv::test {

bool RecordingLinkHost::record(Kind kind, const QString &title, const QString &text)
{
    boxes.append({kind, title, text});
    if (onShow)
        onShow(boxes.last());
    if (kind == Kind::Message || kind == Kind::Error)
        return true; // nothing to answer: the queue is for questions
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

void RecordingLinkHost::showMessage(const QString &text) { record(Kind::Message, {}, text); }
void RecordingLinkHost::showMessage(const QString &title, const QString &text)
{
    record(Kind::Message, title, text);
}
void RecordingLinkHost::showError(const QString &text) { record(Kind::Error, {}, text); }

bool RecordingLinkHost::askOkCancel(const QString &title, const QString &text)
{
    return record(Kind::OkCancel, title, text);
}

bool RecordingLinkHost::askYesNo(const QString &title, const QString &text)
{
    return record(Kind::YesNo, title, text);
}

void RecordingLinkHost::setStatusText(const QString &text)
{
    statusTexts.append(text);
    if (onStatus)
        onStatus(text);
}

bool RecordingLinkHost::showBusyCursor()
{
    if (busyCursor)
        return false;
    busyCursor = true;
    ++busyCursorShown;
    return true;
}

void RecordingLinkHost::showArrowCursor() { busyCursor = false; }

QStringList RecordingLinkHost::texts() const
{
    QStringList out;
    for (const Box &b : boxes)
        out << b.text;
    return out;
}

void RecordingLinkHost::clear()
{
    boxes.clear();
    statusTexts.clear();
    pagesEnabled.clear();
    busyCursorShown = 0;
}

} // namespace kv::test
