#include "FaultRig.h"
#include "LinkEnv.h"

#include "link/CommandChannel.h"
#include "link/LinkTransport.h"
#include "protocol/Commands.h"

#include <QStatusBar>
#include <cstring>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kv::test {

std::unique_ptr<ConsoleFixture> ReadConsole(const QString &link, EmuProcess::Options options)
{
    auto f = ReadOnce(link, options);
    f->dialogs.clear();
    f->clearWire();
    return f;
}

QStringList ChangedFields(const MatrixState &a, const MatrixState &b)
{
    QStringList changed;
#define KV_FIELD(name)                                                                         \
    if (std::memcmp(&a.name, &b.name, sizeof a.name) != 0)                                      \
        changed << QStringLiteral(#name);
    KV_FIELD(SerialPortOpen)
    KV_FIELD(EthernetConnected)
    KV_FIELD(OutputCount)
    KV_FIELD(InputCount)
    KV_FIELD(Info)
    KV_FIELD(Routes)
    KV_FIELD(PreviousInput)
    KV_FIELD(Groups)
    KV_FIELD(Reclock)
    KV_FIELD(SavedReclock)
    KV_FIELD(SavedTaken)
    KV_FIELD(SavedGroups)
    KV_FIELD(Presets)
    KV_FIELD(PresetGroups)
    KV_FIELD(SelectedOutput)
    KV_FIELD(SelectedPreset)
    KV_FIELD(Config)
    KV_FIELD(PresetPreviewPending)
    KV_FIELD(Busy)
    KV_FIELD(SuppressCommands)
#undef KV_FIELD
    return changed;
}

QStringList FullQuerySequence()
{
    QStringList q = {"MINFOKV", "OINFOKV", "OPINFOKV"};
    for (int p = 0; p < kPresetCount; ++p)
        q << QStringLiteral("PINFOKV %1").arg(p);
    q << "GINFOKV";
    for (int p = 0; p < kPresetCount; ++p)
        q << QStringLiteral("PGINFOKV %1").arg(p);
    return q;
}

QString WaitsNormally(ConsoleFixture &f)
{
    const Timeouts &t = f.form().core().channel().timeouts();
    const int delay = (t.ticksToMs(t.ProbeTicks) + t.ticksToMs(t.NormalTicks)) / 2;
    if (f.emu().sendControl(QStringLiteral("clear-faults")) != QLatin1String("ok") ||
        f.emu().sendControl(QStringLiteral("fault delay:TAKE=%1@1").arg(delay)) !=
            QLatin1String("ok"))
        return QStringLiteral("kvemu does not answer");
    LinkTransport(f.form().core().channel()).setSerialLinkLive(true);
    f.clearWire();
    SendTakeCancel(f.form().core().channel());
    const QStringList wire = f.wire();
    return wire == QStringList{QStringLiteral("TAKE 0")} ? QString()
                                                         : "late answer: " + wire.join('|');
}

QString KeepsWorking(ConsoleFixture &f)
{
    if (f.emu().sendControl(QStringLiteral("clear-faults")) != QLatin1String("ok"))
        return QStringLiteral("kvemu does not answer");
    f.dialogs.clear();
    f.clearWire();
    MatrixState &s = f.state();
    if (s.Busy != 0)
        return QStringLiteral("Busy left at %1").arg(s.Busy);

    // A route the switcher does not have yet, chosen and taken as the operator does it.
    const int output = 1;
    const int input = s.Routes[output - 1].Input == 1 ? 3 : 2; // 1-based, never the current
    const QString out = QString::number(output), in = QString::number(input);
    if (!f.click("OutputButton" + out) || !f.click("InputButton" + in) || !f.click("TakeButton"))
        return QStringLiteral("a routing button is disabled");
    const QStringList sent = f.commands();
    if (!sent.contains("RTEMP " + out + ' ' + in) || !sent.endsWith(QStringLiteral("TAKE 1")))
        return "commands after the fault: " + sent.join('|');
    const QString switcher = f.emuState(QStringLiteral("routes")).section(',', output - 1, output - 1);
    if (switcher != in)
        return "switcher route of output " + out + ": " + switcher;

    f.dialogs.clear();
    f.clearWire();
    f.readAll();
    if (!f.dialogs.boxes.isEmpty())
        return "boxes in the read after the fault: " + f.dialogs.texts().join('|');
    if (f.wire() != FullQuerySequence())
        return "read after the fault: " + f.wire().join('|');
    if (s.Routes[output - 1].Input != input - 1 || s.Routes[output - 1].Taken != 1)
        return QStringLiteral("route read back: %1/%2")
            .arg(s.Routes[output - 1].Input)
            .arg(s.Routes[output - 1].Taken);
    if (s.Busy != 0 || s.SuppressCommands != 0)
        return QStringLiteral("flags after the read: Busy %1, SuppressCommands %2")
            .arg(s.Busy)
            .arg(s.SuppressCommands);
    f.dialogs.clear();
    f.clearWire();
    return {};
}

StatusTexts::StatusTexts(QStatusBar *bar) : QObject(bar)
{
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            texts << text;
    });
}

namespace {

constexpr quint32 kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool capabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool setCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

HonourFilePermissions::HonourFilePermissions()
{
    if (geteuid() != 0) {
        m_active = true;
        return;
    }
    // Effective capabilities are per thread; the permitted set keeps them for the way back.
    __user_cap_data_struct data[2]{};
    if (!capabilities(data))
        return;
    data[0].effective &= ~kOverrides;
    m_dropped = m_active = setCapabilities(data);
}

HonourFilePermissions::~HonourFilePermissions()
{
    if (!m_dropped)
        return;
    __user_cap_data_struct data[2]{};
    if (capabilities(data)) {
        data[0].effective |= kOverrides & data[0].permitted;
        setCapabilities(data);
    }
}

} // namespace kv::test
