#include "remote/HubBlocks.h"

#include <QStringDecoder>

namespace kv {

HubBlockReader::Status HubBlockReader::feed(QByteArrayView bytes, QList<HubBlock> &out,
                                            qsizetype maxBlocks, qsizetype *taken)
{
    const qsizetype before = out.size();
    qsizetype k = 0;
    for (; k < bytes.size() && m_status == Status::Ok; ++k) {
        const char c = bytes[k];
        // CR, LF and CR LF all end a line: telnet sends the pair, nc the LF alone.
        if (c == '\n' && m_afterReturn) {
            m_afterReturn = false;
            continue;
        }
        m_afterReturn = c == '\r';
        if (c == '\r' || c == '\n') {
            m_status = endLine(out);
            if (maxBlocks >= 0 && out.size() - before >= maxBlocks) {
                ++k;
                break;
            }
            continue;
        }
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f) {
            m_status = Status::NotText;
            break;
        }
        if (m_line.size() >= kHubMaxLineBytes) {
            m_status = Status::LineTooLong;
            break;
        }
        m_line.append(c);
    }
    if (taken)
        *taken = k;
    return m_status;
}

HubBlockReader::Status HubBlockReader::endLine(QList<HubBlock> &out)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString line = utf8.decode(m_line);
    m_line.clear();
    if (utf8.hasError())
        return Status::NotText;
    if (line.trimmed().isEmpty()) {
        if (!m_block.isEmpty()) {
            HubBlock block;
            block.header = m_block.first();
            while (block.header.endsWith(u' ') || block.header.endsWith(u'\t'))
                block.header.chop(1);
            // A copy of its own: a shared list would keep the reader's whole buffer alive.
            block.lines = m_block.sliced(1);
            m_block.clear();
            out.append(block);
        }
        return Status::Ok;
    }
    if (m_block.size() >= kHubMaxBlockLines)
        return Status::BlockTooLong;
    m_block.append(line);
    return Status::Ok;
}

namespace {

// A decimal number below limit, digits only.
bool Index(const QString &text, int limit, int *value)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    *value = text.toInt();
    return *value < limit;
}

bool ParseRoutes(const QStringList &lines, int inputs, int outputs, HubRequest &r)
{
    for (const QString &line : lines) {
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        int o = 0, i = 0;
        if (parts.size() != 2 || !Index(parts[0], outputs, &o) || !Index(parts[1], inputs, &i))
            return false;
        r.routes.append({o, i});
    }
    return true;
}

bool ParseLabels(const QStringList &lines, int count, HubRequest &r)
{
    for (const QString &line : lines) {
        // The label is everything after the first space; it may hold spaces of its own.
        const qsizetype space = line.indexOf(u' ');
        int n = 0;
        if (space < 0 || !Index(line.left(space), count, &n))
            return false;
        r.labels.append({n, line.mid(space + 1)});
    }
    return true;
}

bool ParseLocks(const QStringList &lines, int outputs, HubRequest &r)
{
    for (const QString &line : lines) {
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        int o = 0;
        if (parts.size() != 2 || !Index(parts[0], outputs, &o) || parts[1].size() != 1 ||
            !QStringLiteral("OUF").contains(parts[1][0]))
            return false;
        r.locks.append({o, parts[1][0]});
    }
    return true;
}

} // namespace

HubRequest ParseHubRequest(const HubBlock &block, int inputs, int outputs)
{
    HubRequest r;
    if (!block.header.endsWith(u':'))
        return r;
    const QString name = block.header.chopped(1);
    const QStringList &lines = block.lines;
    const HubRequest invalid;
    using Kind = HubRequest::Kind;

    if (name == hub::kPing) {
        r.kind = lines.isEmpty() ? Kind::Ping : Kind::Invalid;
        return r;
    }
    static const QStringList dumpable = {hub::kPreamble,     hub::kDevice, hub::kInputLabels,
                                         hub::kOutputLabels, hub::kLocks,  hub::kRouting,
                                         hub::kConfiguration};
    if (lines.isEmpty()) {
        if (!dumpable.contains(name))
            return invalid;
        r.kind = Kind::Dump;
        r.block = name;
        return r;
    }
    bool ok = false;
    if (name == hub::kRouting) {
        r.kind = Kind::Routes;
        ok = ParseRoutes(lines, inputs, outputs, r);
    } else if (name == hub::kInputLabels) {
        r.kind = Kind::InputLabels;
        ok = ParseLabels(lines, inputs, r);
    } else if (name == hub::kOutputLabels) {
        r.kind = Kind::OutputLabels;
        ok = ParseLabels(lines, outputs, r);
    } else if (name == hub::kLocks) {
        r.kind = Kind::Locks;
        ok = ParseLocks(lines, outputs, r);
    } else if (name == hub::kConfiguration) {
        // Routes are always taken at once: asking for that is all a client may do here.
        r.kind = Kind::Configuration;
        ok = true;
        for (const QString &line : lines)
            ok = ok && line.simplified() == QLatin1String("Take Mode: false");
    }
    return ok ? r : invalid;
}

QByteArray HubBlockText(const QString &header, const QStringList &lines)
{
    QByteArray text = header.toUtf8() + ":\n";
    for (const QString &line : lines)
        text += line.toUtf8() + '\n';
    return text + '\n';
}

QByteArray HubAck() { return QByteArrayLiteral("ACK\n\n"); }
QByteArray HubNak() { return QByteArrayLiteral("NAK\n\n"); }

QStringList HubPreambleLines() { return {QStringLiteral("Version: 2.8")}; }

QStringList HubDeviceLines(const HubDevice &d)
{
    return {QStringLiteral("Device present: ") + QLatin1String(d.present ? "true" : "false"),
            QStringLiteral("Model name: ") + d.modelName,
            QStringLiteral("Friendly name: ") + d.friendlyName,
            QStringLiteral("Unique ID: ") + d.uniqueId,
            QStringLiteral("Video inputs: %1").arg(d.inputs),
            QStringLiteral("Video processing units: 0"),
            QStringLiteral("Video outputs: %1").arg(d.outputs),
            QStringLiteral("Video monitoring outputs: 0"),
            QStringLiteral("Serial ports: 0")};
}

namespace {
QList<int> AllOr(const QList<int> &ports, qsizetype count)
{
    if (!ports.isEmpty())
        return ports;
    QList<int> all;
    for (int n = 0; n < count; ++n)
        all << n;
    return all;
}
} // namespace

QStringList HubLabelLines(const QStringList &labels, const QList<int> &ports)
{
    QStringList lines;
    for (int n : AllOr(ports, labels.size())) {
        if (n < 0 || n >= labels.size())
            continue;
        // A label from a file may hold anything; a line break would end the block.
        QString label = labels[n];
        for (QChar &c : label)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                c = u' ';
        lines << QString::number(n) + u' ' + label;
    }
    return lines;
}

QStringList HubRouteLines(const QList<int> &inputs, const QList<int> &outputs)
{
    QStringList lines;
    for (int o : AllOr(outputs, inputs.size()))
        if (o >= 0 && o < inputs.size() && inputs[o] >= 0)
            lines << QStringLiteral("%1 %2").arg(o).arg(inputs[o]);
    return lines;
}

QStringList HubLockLines(const QList<QChar> &locks, const QList<int> &outputs)
{
    QStringList lines;
    for (int o : AllOr(outputs, locks.size()))
        if (o >= 0 && o < locks.size())
            lines << QString::number(o) + u' ' + locks[o];
    return lines;
}

QStringList HubConfigurationLines() { return {QStringLiteral("Take Mode: false")}; }

} // namespace kv
