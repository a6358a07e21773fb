#include "Reply.h"

#include <QRandomGenerator>
#include <cstddef>

namespace kv::emu {

namespace {

// Out-of-range values, the boundaries first so that every block shows them.
QByteArray outOfRange(int lo, int hi, bool withAbove252)
{
    QByteArray v;
    v.append(char(lo));
    v.append(char(hi));
    if (withAbove252) {
        v.append(char(253));
        v.append(char(255));
        v.append(char(254));
    }
    for (int x = lo + 1; x < hi; ++x)
        v.append(char(x));
    return v;
}

void fill(QByteArray &p, int from, int len, const QByteArray &values, int &k)
{
    for (int i = from; i < from + len && i < p.size(); ++i)
        p[i] = values[k++ % values.size()];
}

void fillGroupTable(QByteArray &p)
{
    int k = 0;
    const QByteArray counts = outOfRange(17, 127, false);
    const QByteArray groups = outOfRange(8, 251, true);
    fill(p, offsetof(GroupTable, GroupMemberCount), 24, counts, k);
    k = 0;
    fill(p, offsetof(GroupTable, GroupInputs), 128, groups, k);
    fill(p, offsetof(GroupTable, OutputGroup), 16, groups, k);
}

} // namespace

void FillOutOfRange(const QByteArray &keyword, QByteArray &p)
{
    const QByteArray inputs = outOfRange(16, 251, true);
    const QByteArray flags = outOfRange(2, 251, true);
    int k = 0, t = 0;
    if (keyword == "MINFOKV" && p.size() == int(sizeof(SystemInfo))) {
        p[offsetof(SystemInfo, FrontPanelLock)] = char(2);
        p[offsetof(SystemInfo, VIState)] = char(3);
        p[offsetof(SystemInfo, ModelCode)] = char(13);
    } else if (keyword == "OINFOKV") {
        for (int i = 0; i + 1 < p.size(); i += 2) {
            fill(p, i, 1, inputs, k);
            fill(p, i + 1, 1, flags, t);
        }
    } else if (keyword == "OPINFOKV") {
        fill(p, 0, p.size(), inputs, k);
    } else if (keyword == "PINFOKV") {
        fill(p, 0, 2, flags, t);
        for (int i = offsetof(PresetRecord, Routes); i + 1 < p.size(); i += 2) {
            fill(p, i, 1, inputs, k);
            fill(p, i + 1, 1, flags, t);
        }
    } else if (keyword == "GINFOKV" || keyword == "PGINFOKV") {
        fillGroupTable(p);
    }
}

QByteArray FrameStatus(const QByteArray &payload, int markerPos, bool crlf)
{
    // Blanks up to the marker, the last two of them CR LF: never a 1, never a "#".
    QByteArray out(markerPos, ' ');
    if (markerPos >= 2)
        out[markerPos - 2] = '\r';
    if (markerPos >= 1)
        out[markerPos - 1] = '\n';
    out.append(kStartMarker);
    out.append(kSkipByte);
    out.append(payload);
    out.append(crlf ? "\r\n#" : "#");
    return out;
}

Reply BuildReply(const Response &r, const QList<Fault> &faults)
{
    Reply reply;
    auto find = [&](FaultKind k) -> const Fault * {
        for (const Fault &f : faults)
            if (f.kind == k)
                return &f;
        return nullptr;
    };
    auto valueOr = [](const Fault *f, int def) { return f && f->value >= 0 ? f->value : def; };

    if (find(FaultKind::Silence) || find(FaultKind::Drop)) {
        reply.silent = true;
        return reply;
    }
    const bool crlf = !find(FaultKind::NoCrlf);
    const Fault *oversize = find(FaultKind::Oversize);
    const QByteArray filler(oversize ? valueOr(oversize, 12000) : 0, '.');

    if (r.kind == Response::Status) {
        QByteArray p = r.payload;
        if (find(FaultKind::Range))
            FillOutOfRange(r.keyword, p);
        if (const Fault *m = find(FaultKind::Model); m && r.keyword == "MINFOKV")
            p[offsetof(SystemInfo, ModelCode)] = char(m->value);
        if (const Fault *h = find(FaultKind::Hash))
            p[qMin(valueOr(h, p.size() / 2), int(p.size()) - 1)] = '#';
        if (const Fault *h = find(FaultKind::CrlfHash)) {
            const int pos = qBound(2, valueOr(h, p.size() - 1), int(p.size()) - 1);
            p.replace(pos - 2, 3, "\r\n#");
        }
        const Fault *marker = find(FaultKind::Marker);
        reply.data = FrameStatus(p + filler, valueOr(marker, kNormalMarkerPos), crlf);
    } else {
        const char *word = r.kind == Response::Ack     ? "\r\nOK"
                           : r.kind == Response::Error ? "\r\nERR"
                                                       : "";
        reply.data = QByteArray(word) + filler + (crlf ? "\r\n#" : "#");
    }

    if (const Fault *g = find(FaultKind::Garbage)) {
        QByteArray junk(valueOr(g, 16), Qt::Uninitialized);
        for (char &c : junk) {
            do
                c = char(QRandomGenerator::global()->bounded(256));
            while (c == '#');
        }
        reply.data = junk;
    }
    if (const Fault *c = find(FaultKind::Cut))
        reply.data.truncate(valueOr(c, reply.data.size() / 2));
    if (const Fault *c = find(FaultKind::Close)) {
        reply.data.truncate(valueOr(c, reply.data.size() / 2));
        reply.closeAfter = true;
    }
    reply.delayMs = valueOr(find(FaultKind::Delay), 0);
    if (const Fault *b = find(FaultKind::Bytewise))
        reply.gapMs = qMax(1, valueOr(b, 2));
    reply.hold = find(FaultKind::Burst) != nullptr;
    return reply;
}

} // namespace kv::emu
