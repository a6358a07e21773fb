#pragma once
// A plain client of kvemu for tests that look at the bytes on the wire: a blocking TCP
// connection or a raw open of the pseudo-terminal, without the console in between.

#include <QByteArray>
#include <QList>
#include <cstring>
#include <memory>

class QTcpSocket;

namespace kv::test {

class EmuWire {
public:
    static std::unique_ptr<EmuWire> tcp(quint16 port);
    static std::unique_ptr<EmuWire> pty(const QString &path);
    ~EmuWire();

    bool isOpen() const;
    bool send(const QByteArray &bytes);
    // Whatever arrives within timeoutMs (waits for the first byte only); empty on time-out.
    QByteArray readSome(int timeoutMs);
    // Reads until the bytes gathered end in "#" and number at least minLength; what came
    // when the time ran out or the link closed.
    QByteArray readReply(int minLength = 1, int timeoutMs = 5000);
    // send(line + "\r"), then readReply.
    QByteArray exchange(const QByteArray &line, int minLength = 1, int timeoutMs = 5000);
    // TCP: true once the far end has closed the connection (waits up to timeoutMs).
    bool waitClosed(int timeoutMs);

private:
    EmuWire() = default;
    std::unique_ptr<QTcpSocket> m_socket;
    int m_fd = -1;
};

// The length of a normal status reply with an n-byte block: "\r\n" 1 0 block "\r\n#".
inline int StatusReplyLength(int n) { return n + 7; }

// The n-byte block of a status reply, found as the console finds it: from two bytes past the
// first byte 1 among positions 0-29. Empty when there is no marker or the reply is short.
QByteArray PayloadOf(const QByteArray &reply, int n);

template <typename T> T BlockOf(const QByteArray &reply)
{
    T t;
    std::memset(&t, 0, sizeof t);
    const QByteArray p = PayloadOf(reply, int(sizeof t));
    if (p.size() == int(sizeof t))
        std::memcpy(&t, p.constData(), sizeof t);
    return t;
}

// "OK", "ERR" or "" for the answers "\r\nOK\r\n#", "\r\nERR\r\n#", "\r\n#"; anything else
// comes back as it is.
QByteArray AnswerWord(const QByteArray &answer);

// Each line in turn, awaiting its answer; the answers' words.
QList<QByteArray> AnswerWords(EmuWire &wire, const QList<QByteArray> &lines);

// A status query and its n-byte block; empty unless the reply has exactly the normal frame.
QByteArray StatusPayload(EmuWire &wire, const QByteArray &query, int n);
template <typename T> T StatusBlock(EmuWire &wire, const QByteArray &query)
{
    return BlockOf<T>(wire.exchange(query, StatusReplyLength(int(sizeof(T)))));
}

} // namespace kv::test
