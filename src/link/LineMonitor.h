#pragma once
// The serial port's five status lights: the modem lines DCD, DSR and CTS, and send and
// receive activity. Monitoring follows SerialLinkLive and pauses while the port is closed.

#include <QObject>
#include <QString>

class QTimer;

namespace kv {

class CommandChannel;

struct LineStates {
    bool txd = false, rxd = false, dcd = false, dsr = false, cts = false;
    bool operator==(const LineStates &) const = default;
};

class LineMonitor : public QObject {
    Q_OBJECT
public:
    explicit LineMonitor(CommandChannel &channel, QObject *parent = nullptr);

    void setMonitoring(bool on);
    bool monitoring() const { return m_monitoring; }
    LineStates states() const { return m_states; }

signals:
    void changed(const kv::LineStates &states);

private:
    void tick();
    void onReceived();
    void onSent();
    void publish(const LineStates &next);
    bool active() const;

    CommandChannel &m_channel;
    QTimer *m_tick;
    bool m_monitoring = false;
    LineStates m_states;
    // A pseudo-terminal has no modem lines; asking again on every tick only repeats the error.
    QString m_noModemLinesOn;
};

} // namespace kv
