#include "app/InfoForm.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace kv {

namespace {
// The layout was drawn at 120 dots per inch and follows the screen's: on a 96-dpi screen it
// is four fifths of that (410 x 33).
double g_scale = 96.0 / 120.0;
int px(int layoutUnits) { return int(layoutUnits * g_scale + 0.5); }
} // namespace

TInfoForm::TInfoForm(QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("InfoForm"));
    setWindowTitle(QStringLiteral("Orvask Delvane - KV SDI Info"));
    if (logicalDpiX() > 0)
        g_scale = logicalDpiX() / 120.0;
    setFixedSize(px(512), px(41));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    QFont font(QStringLiteral("Comic Sans MS"));
    font.setStyleHint(QFont::Decorative); // an informal rounded face where one exists
    font.setPointSize(11);

    InfoLabel = new QLabel(this);
    InfoLabel->setObjectName(QStringLiteral("InfoLabel"));
    InfoLabel->setGeometry(px(7), px(9), px(437), px(24));
    InfoLabel->setAlignment(Qt::AlignCenter);
    InfoLabel->setFont(font);

    InfoProgressLabel = new QLabel(this);
    InfoProgressLabel->setObjectName(QStringLiteral("InfoProgressLabel"));
    InfoProgressLabel->setGeometry(px(443), px(9), px(51), px(24));
    InfoProgressLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    InfoProgressLabel->setFont(font);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TInfoForm::setMessage(const QString &text) { InfoLabel->setText(text); }

void TInfoForm::setProgress(const QString &dots)
{
    InfoProgressLabel->setText(dots);
    // The event loop is blocked between queries: draw the new dots now.
    InfoProgressLabel->repaint();
}

void TInfoForm::showNow()
{
    // Always on top by its flags; drawn now, before the caller blocks the event loop.
    show();
    repaint();
}

void TInfoForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    QCoreApplication::processEvents();
}

} // namespace kv
