#include "SwitcherState.h"

#include <QList>
#include <cstring>

namespace kv::emu {

namespace {

constexpr int kAllGroups = 201;

// Decimal arguments only; anything else makes the whole line an error.
bool parseArgs(const QList<QByteArray> &words, QList<int> &args)
{
    for (qsizetype k = 1; k < words.size(); ++k) {
        const QByteArray &w = words[k];
        if (w.isEmpty() || w.size() > 5)
            return false;
        for (char c : w)
            if (c < '0' || c > '9')
                return false;
        args.append(w.toInt());
    }
    return true;
}

bool inRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

QByteArray bytesOf(const void *p, int n) { return QByteArray(static_cast<const char *>(p), n); }

} // namespace

GroupTable EmptyGroupTable()
{
    GroupTable t;
    std::memset(&t, 0, sizeof t);
    std::memset(t.GroupInputs, UNASSIGNED, sizeof t.GroupInputs);
    std::memset(t.OutputGroup, UNASSIGNED, sizeof t.OutputGroup);
    return t;
}

SwitcherState::SwitcherState(std::uint8_t model) : m_model(kDefaultModel)
{
    setModel(model);
    factoryReset();
}

bool SwitcherState::setModel(std::uint8_t code)
{
    // The header's helper lives in the console library, which the emulator does not link.
    if (code != 10 && code != 11 && code != 12 && code != 20)
        return false;
    m_model = code;
    return true;
}

void SwitcherState::factoryReset()
{
    for (int o = 0; o < kMaxPorts; ++o) {
        m_routes[o] = {UNASSIGNED, 1};
        m_previous[o] = UNASSIGNED;
        m_reclock[o] = 0;
    }
    m_groups = EmptyGroupTable();
    for (int p = 0; p < kPresetCount; ++p) {
        PresetRecord &r = m_presets[p];
        r.Stored = r.LastSaved = 0;
        r.ReclockMask = 0;
        for (RouteEntry &e : r.Routes)
            e = {UNASSIGNED, 1};
        m_presetGroups[p] = EmptyGroupTable();
    }
    m_lock = m_vi = m_savedLock = m_savedVi = 0;
    const std::uint8_t ip[4] = {192, 168, 1, 200};
    std::memcpy(m_ip, ip, 4);
}

Response SwitcherState::execute(const QByteArray &line)
{
    const QList<QByteArray> words = line.split(' ');
    Response r;
    r.keyword = words.value(0);
    QList<int> args;
    if (line.isEmpty()) {
        r.kind = Response::Empty;
        return r;
    }
    if (words.contains(QByteArray()))
        return r; // doubled, leading or trailing blanks
    if (r.keyword == "RESETKV") {
        // The one command whose argument is a letter: R = saved settings, F = factory.
        const QByteArray mode = words.value(1);
        if (words.size() != 2 || (mode != "R" && mode != "F"))
            return r;
        if (mode == "F") {
            factoryReset();
        } else {
            take(false);
            m_lock = m_savedLock;
            m_vi = m_savedVi;
        }
        r.kind = Response::Ack;
        return r;
    }
    if (!parseArgs(words, args))
        return r;
    Response c = command(r.keyword, args);
    c.keyword = r.keyword;
    return c;
}

Response SwitcherState::command(const QByteArray &kw, const QList<int> &a)
{
    const int n = a.size();
    bool ok = false;
    Response status;
    status.kind = Response::Status;
    auto arg = [&](int k) { return a.value(k); };

    if (kw == "RTEMP" && n == 2) {
        ok = routeTemp(arg(0), arg(1));
    } else if (kw == "TAKE" && n == 1 && inRange(arg(0), 0, 1)) {
        take(arg(0) == 1);
        ok = true;
    } else if (kw == "CLEAR" && n == 0) {
        for (int o = 0; o < kMaxPorts; ++o) {
            m_routes[o] = {UNASSIGNED, 1};
            m_previous[o] = UNASSIGNED;
        }
        ok = true;
    } else if (kw == "RCLOCK" && n == 2 && inRange(arg(0), 1, outputs()) && inRange(arg(1), 0, 1)) {
        m_reclock[arg(0) - 1] = std::uint8_t(arg(1));
        ok = true;
    } else if (kw == "GADD" && n == 3) {
        ok = groupAdd(arg(0), arg(1), arg(2));
    } else if (kw == "GDEL" && n == 3) {
        ok = groupDelete(arg(0), arg(1), arg(2));
    } else if (kw == "GCLEAR" && n == 1 && (inRange(arg(0), 1, 8) || arg(0) == kAllGroups)) {
        groupClear(arg(0) == kAllGroups ? -1 : arg(0) - 1);
        ok = true;
    } else if (kw == "PRST" && n == 1) {
        ok = presetSave(arg(0) - 1);
    } else if (kw == "RPRST" && n == 2 && inRange(arg(1), 0, 1)) {
        ok = presetRecall(arg(0) - 1);
    } else if ((kw == "FPLOCK" || kw == "VISTATE") && n == 1 && inRange(arg(0), 0, 1)) {
        (kw == "FPLOCK" ? m_lock : m_vi) = std::uint8_t(arg(0));
        ok = true;
    } else if (kw == "UPSYS" && n == 0) {
        m_savedLock = m_lock;
        m_savedVi = m_vi;
        ok = true;
    } else if (kw == "RSYS" && n == 0) {
        m_lock = m_savedLock;
        m_vi = m_savedVi;
        ok = true;
    } else if (kw == "IPCONFIG" && n == 4) {
        ok = true;
        for (int v : a)
            ok = ok && inRange(v, 0, 255);
        if (ok)
            for (int k = 0; k < 4; ++k)
                m_ip[k] = std::uint8_t(a[k]);
    } else if (kw == "MINFOKV" && n == 0) {
        const SystemInfo info = systemInfo();
        status.payload = bytesOf(&info, sizeof info);
        return status;
    } else if (kw == "OINFOKV" && n == 0) {
        status.payload = routesBlock();
        return status;
    } else if (kw == "OPINFOKV" && n == 0) {
        status.payload = previousInputsBlock();
        return status;
    } else if (kw == "GINFOKV" && n == 0) {
        status.payload = bytesOf(&m_groups, sizeof m_groups);
        return status;
    } else if ((kw == "PINFOKV" || kw == "PGINFOKV") && n == 1 && inRange(arg(0), 0, 7)) {
        if (kw == "PINFOKV")
            status.payload = bytesOf(&m_presets[arg(0)], sizeof(PresetRecord));
        else
            status.payload = bytesOf(&m_presetGroups[arg(0)], sizeof(GroupTable));
        return status;
    }
    Response r;
    r.kind = ok ? Response::Ack : Response::Error;
    return r;
}

} // namespace kv::emu
