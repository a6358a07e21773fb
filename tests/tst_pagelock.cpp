// The page area during an exchange: disabled for the wait, drawn disabled only when the
// window paints before the pages come back, and left alone by a wait too short to show.

#include "ConsoleFixture.h"
#include "Texts.h"

#include "app/MatrixForm.h"
#include "app/WindowHost.h"

#include <QAbstractButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

// What the window's backing store holds where the widget is: what the operator sees.
QImage OnScreen(QWidget *w)
{
    const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height())
        .toImage();
}

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestPageLock : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleFixture> m_f;
    QAbstractButton *m_button = nullptr;

private slots:
    void init()
    {
        m_f = std::make_unique<ConsoleFixture>();
        m_f->form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_f->form()));
        m_button = m_f->find<QAbstractButton>("InputButton1");
        QVERIFY(m_button);
        QCoreApplication::processEvents();
    }
    void cleanup() { m_f.reset(); }

    void disabledLookShowsWhenTheWindowPaints()
    {
        const QImage enabled = OnScreen(m_button);
        m_f->form().host().setPagesEnabled(false);
        QVERIFY(!m_f->find<QTabWidget>("MainPageControl")->isEnabled());
        QCoreApplication::processEvents(); // a wait that runs the event loop
        QVERIFY(OnScreen(m_button) != enabled);
        m_f->form().host().setPagesEnabled(true);
        QCoreApplication::processEvents();
        QVERIFY(m_f->find<QTabWidget>("MainPageControl")->isEnabled());
        QCOMPARE(OnScreen(m_button), enabled);
    }

    void blockingExchangeRepaintsNoPage()
    {
        const QImage enabled = OnScreen(m_button);
        PaintCounter counter;
        m_button->installEventFilter(&counter);
        // What a serial exchange does around its blocking wait.
        WindowHost &host = m_f->form().host();
        host.setStatusText(texts::kSending);
        host.setPagesEnabled(false);
        QVERIFY(!m_f->find<QTabWidget>("MainPageControl")->isEnabled());
        host.setStatusText("");
        host.setPagesEnabled(true);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);
        QVERIFY(m_f->find<QTabWidget>("MainPageControl")->isEnabled());
        QCOMPARE(OnScreen(m_button), enabled);
        // A later real change still paints.
        m_button->setEnabled(false);
        QCoreApplication::processEvents();
        QVERIFY(counter.paints > 0);
        QVERIFY(OnScreen(m_button) != enabled);
    }
};

QTEST_MAIN(TestPageLock)
#include "tst_pagelock.moc"
