#include "ConsoleFixture.h"

#include "control/StatusRead.h"
#include "link/CommandChannel.h"
#include "link/LinkTransport.h"
#include "ui/Colours.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHostAddress>
#include <QTest>
#include <QLabel>
#include <QLineEdit>
#include <QSerialPort>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTcpSocket>

namespace kv::test {

namespace {

bool isQuery(const QString &line)
{
    static const QStringList queries = {"MINFOKV", "OINFOKV", "OPINFOKV", "GINFOKV", "PINFOKV",
                                        "PGINFOKV"};
    return queries.contains(line.section(QLatin1Char(' '), 0, 0));
}

} // namespace

ConsoleFixture::ConsoleFixture(const Timeouts &timeouts)
{
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    m_form = std::make_unique<TMatrixForm>(timeouts);
}

ConsoleFixture::~ConsoleFixture()
{
    m_rescue.reset();
    // The window (and its port and socket) goes before the emulator it talks to.
    m_form.reset();
}

bool ConsoleFixture::fail(const QString &why)
{
    m_error = why;
    return false;
}

bool ConsoleFixture::start(const EmuProcess::Options &options)
{
    if (options.extraArgs.isEmpty()) {
        QString why;
        EmuProcess *shared = EmuProcess::Shared(options, &why);
        if (!shared)
            return fail(why);
        m_emu = shared;
        return true;
    }
    m_emu = &m_ownEmu;
    if (!m_ownEmu.start(options))
        return fail(m_ownEmu.errorString());
    return true;
}

bool ConsoleFixture::connectSerial()
{
    if (m_emu->ptyDevice().isEmpty())
        return fail(QStringLiteral("kvemu has no pty"));
    QSerialPort *port = LinkTransport(m_form->core().channel()).serialPort();
    port->setPortName(m_emu->ptyDevice());
    if (!port->open(QIODevice::ReadWrite))
        return fail(QStringLiteral("open %1: %2").arg(m_emu->ptyDevice(), port->errorString()));
    port->setBaudRate(QSerialPort::Baud57600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::HardwareControl);
    state().SerialPortOpen = 1;
    LinkTransport(m_form->core().channel()).setSerialLinkLive(true);
    m_form->menu().ReadfromKestavions1->setEnabled(true); // as a real connect leaves it
    return true;
}

bool ConsoleFixture::connectTcp()
{
    if (m_emu->tcpPort() == 0)
        return fail(QStringLiteral("kvemu has no TCP port"));
    QTcpSocket *socket = LinkTransport(m_form->core().channel()).socket();
    socket->connectToHost(QHostAddress::LocalHost, m_emu->tcpPort());
    if (!socket->waitForConnected(5000))
        return fail(QStringLiteral("connect to %1: %2").arg(m_emu->tcpPort()).arg(socket->errorString()));
    state().EthernetConnected = 1;
    m_form->menu().ReadfromKestavions1->setEnabled(true);
    return true;
}

void ConsoleFixture::readAll() { m_form->core().statusRead().ReadfromKestavions1Click(); }

void ConsoleFixture::showPage(const QString &name)
{
    find<QTabWidget>("MainPageControl")->setCurrentWidget(find(name));
}

bool ConsoleFixture::click(const QString &name)
{
    if (auto *button = find<QAbstractButton>(name)) {
        if (!button->isEnabled())
            return false;
        button->click();
        return true;
    }
    if (auto *action = find<QAction>(name)) {
        if (!action->isEnabled())
            return false;
        action->trigger();
        return true;
    }
    return false;
}

QColor ConsoleFixture::colour(const QString &name) const
{
    const QWidget *w = find<QWidget>(name);
    return w ? paintedColour(w) : QColor();
}

QString ConsoleFixture::text(const QString &name) const
{
    if (auto *b = find<QAbstractButton>(name))
        return b->text();
    if (auto *l = find<QLabel>(name))
        return l->text();
    if (auto *e = find<QLineEdit>(name))
        return e->text();
    return {};
}

bool ConsoleFixture::isEnabled(const QString &name) const
{
    if (const QWidget *w = find<QWidget>(name))
        return w->isEnabled();
    const auto *action = find<QAction>(name);
    return action && action->isEnabled();
}

bool ConsoleFixture::isChecked(const QString &name) const
{
    const auto *b = find<QAbstractButton>(name);
    return b && b->isChecked();
}

QStringList ConsoleFixture::commands() const
{
    QStringList out;
    for (const QString &line : wire()) {
        if (!line.isEmpty() && !isQuery(line))
            out << line;
    }
    return out;
}

void ConsoleFixture::armRescue(int ms)
{
    m_rescued = false;
    m_rescue = std::make_unique<QTimer>();
    m_rescue->setInterval(ms);
    QObject::connect(m_rescue.get(), &QTimer::timeout, m_form.get(), [this] {
        m_rescued = true;
        m_rescue->setInterval(1000);
        LinkTransport(m_form->core().channel()).expireWatchdog();
    });
    m_rescue->start();
}

void ConsoleFixture::disarmRescue() { m_rescue.reset(); }

QString ConsoleFixture::emuState(const QString &key)
{
    const QStringList fields = m_emu->state().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString prefix = key + QLatin1Char('=');
    for (const QString &f : fields) {
        if (f.startsWith(prefix))
            return f.mid(prefix.size());
    }
    return {};
}

std::unique_ptr<ConsoleFixture> Connected(const QString &link, EmuProcess::Options options)
{
    auto f = std::make_unique<ConsoleFixture>();
    options.tcp = link == "tcp";
    if (!f->start(options))
        return f;
    if (link == "tcp")
        f->connectTcp();
    else
        f->connectSerial();
    return f;
}

std::unique_ptr<ConsoleFixture> ReadOnce(const QString &link, EmuProcess::Options options)
{
    auto f = Connected(link, options);
    if (!f->error().isEmpty())
        return f;
    if (link != QLatin1String("tcp")) {
        SetComPorts({f->emu().ptyPath()});
        LinkTransport(f->form().core().channel()).setPortNumber(1);
    }
    f->readAll();
    return f;
}

void AddLinkRows()
{
    QTest::addColumn<QString>("link");
    for (const QString &l : kLinks)
        QTest::newRow(qPrintable(l)) << l;
}

} // namespace kv::test
