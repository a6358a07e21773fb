#include "ui/TerminalView.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

namespace kv {

namespace {
const QColor kSilver(192, 192, 192);
}

TerminalView::TerminalView(QWidget *parent) : QWidget(parent)
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(12);
    setFont(f);
    setAttribute(Qt::WA_OpaquePaintEvent);
    clearScreen();
}

int TerminalView::columns() const
{
    const int w = QFontMetrics(font()).horizontalAdvance(QLatin1Char('M'));
    return qMax(1, (width() - 4) / qMax(1, w));
}

void TerminalView::clearScreen()
{
    m_rows = QStringList();
    for (int r = 0; r < kRows; ++r)
        m_rows << QString();
    m_row = m_column = 0;
    update();
}

QString TerminalView::row(int r) const
{
    if (r < 0 || r >= kRows)
        return {};
    QString text = m_rows.at(r);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

void TerminalView::newLine()
{
    if (m_row + 1 < kRows) {
        ++m_row;
        return;
    }
    m_rows.removeFirst();
    m_rows << QString();
}

void TerminalView::put(QChar c)
{
    if (m_column >= columns()) {
        m_column = 0;
        newLine();
    }
    QString &line = m_rows[m_row];
    if (line.size() <= m_column)
        line.append(QString(m_column - line.size() + 1, QLatin1Char(' ')));
    line[m_column++] = c;
}

void TerminalView::write(const QByteArray &bytes)
{
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\r')
            m_column = 0;
        else if (b == '\n')
            newLine();
        else if (b == '\b')
            m_column = qMax(0, m_column - 1);
        else if (b >= 0x20 && b < 0x7f)
            put(QChar(b));
        else if (b >= 0x80)
            put(QLatin1Char('.'));
    }
    update();
}

void TerminalView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.setPen(kSilver);
    const QFontMetrics fm(font());
    const int pitch = qMax(fm.height(), height() / kRows);
    for (int r = 0; r < kRows; ++r)
        p.drawText(2, r * pitch + fm.ascent() + 1, m_rows.at(r));
}

} // namespace kv
