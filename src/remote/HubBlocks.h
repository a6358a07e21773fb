#pragma once
// The router control protocol's text blocks: a header line ending in ':', body lines, and a
// blank line to close. The reader cuts whatever bytes a client sends into blocks within
// fixed limits; the parser turns a block into a request; the formatters write the blocks the
// server sends. Pure code: no socket, no console.

#include "control/RemoteConsole.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

inline constexpr int kHubMaxLineBytes = 1024;
inline constexpr int kHubMaxBlockLines = 64; // the header included

struct HubBlock {
    QString header; // the first line, as sent (trailing blanks dropped)
    QStringList lines;
};

class HubBlockReader {
public:
    enum class Status { Ok, LineTooLong, BlockTooLong, NotText };

    // Takes bytes until they run out or maxBlocks blocks are complete, moves those blocks to
    // out and says through taken how many bytes it took; the caller keeps the rest for the
    // next call. Once a limit is broken the reader stays failed: it takes nothing more and
    // returns the same status.
    Status feed(QByteArrayView bytes, QList<HubBlock> &out, qsizetype maxBlocks = -1,
                qsizetype *taken = nullptr);
    bool midBlock() const { return !m_block.isEmpty() || !m_line.isEmpty(); }

private:
    Status endLine(QList<HubBlock> &out);

    QByteArray m_line;
    QStringList m_block;
    Status m_status = Status::Ok;
    bool m_afterReturn = false;
};

// The blocks the server knows, by their header text (without the colon).
namespace hub {
inline const QString kPreamble = QStringLiteral("PROTOCOL PREAMBLE");
inline const QString kDevice = QStringLiteral("VIDEOHUB DEVICE");
inline const QString kInputLabels = QStringLiteral("INPUT LABELS");
inline const QString kOutputLabels = QStringLiteral("OUTPUT LABELS");
inline const QString kLocks = QStringLiteral("VIDEO OUTPUT LOCKS");
inline const QString kRouting = QStringLiteral("VIDEO OUTPUT ROUTING");
inline const QString kConfiguration = QStringLiteral("CONFIGURATION");
inline const QString kEndPrelude = QStringLiteral("END PRELUDE");
inline const QString kPing = QStringLiteral("PING");
} // namespace hub

struct HubRequest {
    enum class Kind {
        Invalid,
        Ping,
        Dump,
        Routes,
        InputLabels,
        OutputLabels,
        Locks,
        Configuration
    };
    Kind kind = Kind::Invalid;
    QString block;                     // Dump: which block to send back
    QList<QPair<int, int>> routes;     // output, input; 0-based
    QList<QPair<int, QString>> labels; // port, label
    QList<QPair<int, QChar>> locks;    // output, 'O', 'U' or 'F'
};

// Numbers must lie inside the model; anything not understood is Invalid as a whole.
HubRequest ParseHubRequest(const HubBlock &block, int inputs, int outputs);

QByteArray HubBlockText(const QString &header, const QStringList &lines);
QByteArray HubAck();
QByteArray HubNak();

QStringList HubPreambleLines();
QStringList HubDeviceLines(const HubDevice &device);
// "n label" for every index in ports (all of labels when ports is empty).
QStringList HubLabelLines(const QStringList &labels, const QList<int> &ports = {});
// "o i" for every output with an input (-1: none, left out).
QStringList HubRouteLines(const QList<int> &inputs, const QList<int> &outputs = {});
QStringList HubLockLines(const QList<QChar> &locks, const QList<int> &outputs = {});
QStringList HubConfigurationLines();

} // namespace kv
