#pragma once
// kvemu's core: one switcher state shared by a pseudo-terminal and TCP connections, the
// faults, the paced output and the record of received lines. main() wraps it in a program;
// tests may run it in a thread of their own (never on the console's thread).

#include "Faults.h"
#include "SwitcherState.h"

#include <QFile>
#include <QList>
#include <QObject>

namespace kv::emu {

class Link;
class PtyLink;
class TcpListener;

struct EmulatorOptions {
    QString ptyLink;  // empty: no pseudo-terminal
    int tcpPort = -1; // -1: no TCP; 0: any free port
    std::uint8_t model = kDefaultModel;
    int baud = 0;    // 0: unpaced
    QString logFile; // empty: record in memory only
    QList<Fault> faults;
    double panelEverySec = 0; // > 0: a random front-panel route change at this pace
};

class Emulator : public QObject {
    Q_OBJECT
public:
    explicit Emulator(QObject *parent = nullptr);
    ~Emulator() override;

    bool start(const EmulatorOptions &options, QString *error);
    quint16 tcpPort() const;
    QString ptySlavePath() const;

    // One control command ("fault TEXT", "state", ...) and its one-line answer.
    QString control(const QString &command);
    static QString controlHelp();

    SwitcherState &state() { return m_state; }
    FaultSet &faults() { return m_faults; }
    void setBaud(int baud);
    // One random taken route made at the front panel: an output gets another input.
    void randomPanelRoute();
    QList<QByteArray> received() const { return m_received; }
    void clearLog();
    void dropOutput();

signals:
    void lineReceived(const QByteArray &line);
    void quitRequested();

private:
    void attach(Link *link);
    void handleLine(Link *link, const QByteArray &line);
    void record(const QByteArray &line);
    QString panel(const QStringList &args);

    SwitcherState m_state;
    FaultSet m_faults;
    int m_baud = 0;
    PtyLink *m_pty = nullptr;
    TcpListener *m_tcp = nullptr;
    QList<Link *> m_links;
    QFile m_log;
    QList<QByteArray> m_received;
};

} // namespace kv::emu
