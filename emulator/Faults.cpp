#include "Faults.h"

#include <array>

namespace kv::emu {

namespace {

struct KindInfo {
    FaultKind kind;
    const char *name;
    bool needsValue;
    int maxValue;
};

constexpr std::array<KindInfo, 15> kKinds{{
    {FaultKind::Silence, "silence", false, 0},
    {FaultKind::Delay, "delay", true, 600000},
    {FaultKind::Drop, "drop", false, 1000000},
    {FaultKind::Garbage, "garbage", false, 100000},
    {FaultKind::Bytewise, "bytewise", false, 10000},
    {FaultKind::Cut, "cut", false, 100000},
    {FaultKind::Close, "close", false, 100000},
    {FaultKind::Oversize, "oversize", false, 1000000},
    {FaultKind::Hash, "hash", false, 169},
    {FaultKind::CrlfHash, "crlfhash", false, 169},
    {FaultKind::Marker, "marker", true, 40},
    {FaultKind::NoCrlf, "nocrlf", false, 0},
    {FaultKind::Burst, "burst", false, 0},
    {FaultKind::Range, "range", false, 0},
    {FaultKind::Model, "model", true, 255},
}};

const KindInfo *infoOf(FaultKind k)
{
    for (const KindInfo &i : kKinds)
        if (i.kind == k)
            return &i;
    return nullptr;
}

std::nullopt_t fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return std::nullopt;
}

bool toNumber(const QString &s, int max, int *out)
{
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok || v < 0 || v > max || s.startsWith('+'))
        return false;
    *out = v;
    return true;
}

} // namespace

bool Fault::matches(const QByteArray &line) const
{
    if (keyword.isEmpty())
        return true;
    if (keyword == "CR")
        return line.isEmpty();
    return line == keyword || line.startsWith(keyword + ' ');
}

std::optional<Fault> ParseFault(const QString &text, QString *error)
{
    QString rest = text.trimmed();
    Fault f;
    const qsizetype at = rest.lastIndexOf('@');
    if (at >= 0) {
        if (!toNumber(rest.mid(at + 1), 1000000, &f.count) || f.count == 0)
            return fail(error, "bad count in fault: " + text);
        rest.truncate(at);
    }
    const qsizetype eq = rest.indexOf('=');
    QString value;
    if (eq >= 0) {
        value = rest.mid(eq + 1);
        rest.truncate(eq);
    }
    const qsizetype colon = rest.indexOf(':');
    if (colon >= 0) {
        f.keyword = rest.mid(colon + 1).toLatin1();
        rest.truncate(colon);
        if (f.keyword.isEmpty())
            return fail(error, "empty keyword in fault: " + text);
    }
    const KindInfo *info = nullptr;
    for (const KindInfo &i : kKinds)
        if (rest == QLatin1String(i.name))
            info = &i;
    if (!info)
        return fail(error, "unknown fault kind: " + rest);
    f.kind = info->kind;
    if (eq >= 0 && (info->maxValue == 0 || !toNumber(value, info->maxValue, &f.value)))
        return fail(error, "bad value in fault: " + text);
    if (eq < 0 && info->needsValue)
        return fail(error, "fault needs a value: " + text);
    if (f.kind == FaultKind::Drop) {
        if (f.value == 0)
            return fail(error, "drop=0 drops nothing: " + text);
        if (f.count < 0)
            f.count = f.value > 0 ? f.value : 1;
        f.value = -1; // drop=N is only another way to write drop@N
    }
    return f;
}

QString FaultName(FaultKind kind)
{
    const KindInfo *i = infoOf(kind);
    return i ? QString::fromLatin1(i->name) : QString();
}

QString FaultText(const Fault &f)
{
    QString s = FaultName(f.kind);
    if (!f.keyword.isEmpty())
        s += ':' + QString::fromLatin1(f.keyword);
    if (f.value >= 0)
        s += '=' + QString::number(f.value);
    if (f.count >= 0)
        s += '@' + QString::number(f.count);
    return s;
}

QList<Fault> FaultSet::takeFor(const QByteArray &line)
{
    QList<Fault> hit;
    for (qsizetype k = 0; k < m_faults.size();) {
        Fault &f = m_faults[k];
        if (!f.matches(line)) {
            ++k;
            continue;
        }
        hit.append(f);
        if (f.count > 0 && --f.count == 0)
            m_faults.removeAt(k);
        else
            ++k;
    }
    return hit;
}

QString FaultHelp()
{
    return QStringLiteral(
        "Faults: --fault KIND[:KEYWORD][=VALUE][@COUNT] (repeatable; also 'fault TEXT' on stdin)\n"
        "  KEYWORD  only lines equal to it or starting with it and a blank, e.g. RTEMP or\n"
        "           \"PINFOKV 3\"; CR = the empty line; default every line\n"
        "  COUNT    only the next COUNT matching lines; default for ever (drop: 1)\n"
        "  A fault changes only the answer; the line is still logged and carried out.\n"
        "  silence           answer nothing\n"
        "  drop[=N]          answer nothing to the next N matching lines (same as drop@N)\n"
        "  delay=MS          wait MS milliseconds before answering\n"
        "  garbage[=LEN]     answer LEN random bytes (default 16), never a \"#\"\n"
        "  bytewise[=GAP]    deliver the answer one byte at a time, GAP ms apart (default 2)\n"
        "  cut[=K]           send only the first K bytes of the answer (default half)\n"
        "  close[=K]         send K bytes (default half), then close the TCP connection\n"
        "                    (on the pty the same as cut)\n"
        "  oversize[=N]      put N filler bytes before the terminator (default 12000)\n"
        "  hash[=POS]        status payload byte POS becomes \"#\" (default the middle)\n"
        "  crlfhash[=POS]    payload bytes POS-2..POS become CR LF \"#\" (default the last)\n"
        "  marker=POS        start marker at reply position POS, 0-40 (normally 2)\n"
        "  nocrlf            end with \"#\" without CR LF before it\n"
        "  burst             hold the answer back and send it with the next one\n"
        "  range             status blocks carry out-of-range values (inputs 16-251 and\n"
        "                    253-255, groups 8-251 and 253-255, counts 17-127, an unknown\n"
        "                    model code)\n"
        "  model=CODE        the system status reports model CODE (the size stays)\n");
}

} // namespace kv::emu
