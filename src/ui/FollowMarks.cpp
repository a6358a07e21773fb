#include "ui/FollowMarks.h"

#include "ui/SwitchingPage.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

namespace kv {

inline const QColor kAmber(255, 160, 0);
inline const QColor kViolet(150, 0, 200);

// A frame over a route label that lets clicks and tool tips through to it.
class MarkFrame : public QWidget {
public:
    MarkFrame(QWidget *label, const QColor &colour, bool dashed)
        : QWidget(label), m_colour(colour), m_dashed(dashed)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(label->rect());
        hide();
    }
    QString corner;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QPen pen(m_colour, 3);
        if (m_dashed)
            pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(1, 1, -2, -2));
        if (corner.isEmpty())
            return;
        QFont f = font();
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        const QRect badge(width() - 15, 0, 15, 11);
        p.fillRect(badge, m_colour);
        p.setPen(Qt::white);
        p.drawText(badge, Qt::AlignCenter, corner);
    }

private:
    QColor m_colour;
    bool m_dashed;
};

FollowMarks::FollowMarks(SwitchingPage &page, int changedMarkMs)
    : QObject(&page), m_page(page), m_changedMs(changedMarkMs)
{
    for (int o = 0; o < 16; ++o) {
        QLabel *label = page.videoLabel(o + 1);
        m_changed[o] = new MarkFrame(label, kAmber, false);
        m_changed[o]->setObjectName(QStringLiteral("ChangedMark%1").arg(o + 1));
        m_foreign[o] = new MarkFrame(label, kViolet, true);
        m_foreign[o]->setObjectName(QStringLiteral("ForeignMark%1").arg(o + 1));
        m_fade[o] = new QTimer(this);
        m_fade[o]->setSingleShot(true);
        connect(m_fade[o], &QTimer::timeout, m_changed[o], &QWidget::hide);
        m_foreignInput[o] = -1;
    }
}

void FollowMarks::markChanged(int output, const QString &tip)
{
    if (output < 0 || output >= 16)
        return;
    m_changedTip[output] = tip;
    m_changed[output]->show();
    m_changed[output]->raise();
    m_fade[output]->start(m_changedMs);
    updateTip(output);
}

void FollowMarks::markForeign(int output, int input)
{
    if (output < 0 || output >= 16)
        return;
    m_foreignInput[output] = input;
    MarkFrame *frame = m_foreign[output];
    // The switcher may report any byte: only the numbers a button has fit the corner.
    frame->corner = input >= 0 && input < 16 ? QString::number(input + 1)
                    : input == 252           ? QStringLiteral("-")
                                             : QStringLiteral("?");
    frame->setVisible(input >= 0);
    frame->update();
    updateTip(output);
}

void FollowMarks::unmarkChanged(int output)
{
    if (output < 0 || output >= 16 || m_changedTip[output].isEmpty())
        return;
    m_fade[output]->stop();
    m_changed[output]->hide();
    m_changedTip[output].clear();
    updateTip(output);
}

bool FollowMarks::changedShown(int output) const
{
    return output >= 0 && output < 16 && !m_changed[output]->isHidden();
}

bool FollowMarks::foreignShown(int output) const
{
    return output >= 0 && output < 16 && !m_foreign[output]->isHidden();
}

void FollowMarks::clear()
{
    for (int o = 0; o < 16; ++o) {
        m_fade[o]->stop();
        m_changed[o]->hide();
        m_changedTip[o].clear();
        markForeign(o, -1);
    }
}

void FollowMarks::updateTip(int output)
{
    QStringList lines;
    if (m_foreignInput[output] >= 0)
        lines << QStringLiteral("Temporary route made elsewhere: %1, not on air until a Take")
                     .arg(m_foreignInput[output] < 16
                              ? QStringLiteral("input %1").arg(m_foreignInput[output] + 1)
                              : QStringLiteral("no input"));
    if (!m_changedTip[output].isEmpty())
        lines << m_changedTip[output];
    m_page.videoLabel(output + 1)->setToolTip(lines.join(QLatin1Char('\n')));
}

} // namespace kv
