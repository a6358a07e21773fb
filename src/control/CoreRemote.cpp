#include "control/CoreRemote.h"

#include "config/Settings.h"
#include "control/CommitPath.h"
#include "control/Core.h"
#include "control/FollowSwitcher.h"
#include "control/Labels.h"
#include "control/Routing.h"
#include "control/UndoTake.h"
#include "link/CommandChannel.h"

#include <QCryptographicHash>
#include <QSettings>
#include <QSysInfo>

#include <algorithm>
#include <cctype>

namespace kv {

namespace {

LabelKind Kind(HubLabelKind kind)
{
    return kind == HubLabelKind::Input ? LabelKind::Input : LabelKind::Output;
}

bool IsUniqueId(const QString &id)
{
    return id.size() == 12 && std::all_of(id.begin(), id.end(), [](QChar c) {
               return c.unicode() < 128 && std::isxdigit(c.unicode());
           });
}

// The same on every run for this machine and these settings, so that it holds even when it
// cannot be stored.
QString MakeUniqueId(const QString &settingsFile)
{
    QByteArray seed = QSysInfo::machineUniqueId();
    if (seed.isEmpty())
        seed = QSysInfo::machineHostName().toUtf8();
    seed += '\n' + settingsFile.toUtf8();
    const QByteArray hash = QCryptographicHash::hash(seed, QCryptographicHash::Sha256);
    return QString::fromLatin1(hash.left(6).toHex().toUpper());
}
} // namespace

QString RemoteModelName(std::uint8_t modelCode, int inputs, int outputs)
{
    const QString caption = ModelCaption(modelCode);
    const qsizetype at = caption.indexOf(QLatin1String(":- "));
    if (at >= 0)
        return QStringLiteral("Kestavion ") + caption.mid(at + 3);
    return QStringLiteral("Kestavion SDI (%1 x %2)").arg(inputs).arg(outputs);
}

CoreRemote::CoreRemote(Core &core) : m_core(core)
{
    // Made once and kept, so that a panel knows this console again after a restart.
    QSettings s = ConsoleSettings();
    m_uniqueId = ReadSetting(s, settings::RemoteUniqueId);
    if (!IsUniqueId(m_uniqueId)) {
        m_uniqueId = MakeUniqueId(s.fileName());
        WriteSetting(s, settings::RemoteUniqueId, m_uniqueId);
    }
    m_friendlyName = ReadSetting(s, settings::RemoteFriendlyName);
}

HubDevice CoreRemote::device() const
{
    const MatrixState &s = m_core.state();
    const int inputs = InputsOf(s), outputs = OutputsOf(s);
    return {m_core.channel().linkUp(),
            RemoteModelName(s.Info.ModelCode, inputs, outputs),
            m_friendlyName,
            m_uniqueId,
            inputs,
            outputs};
}

QStringList CoreRemote::labels(HubLabelKind kind) const
{
    const MatrixState &s = m_core.state();
    const int count = kind == HubLabelKind::Input ? InputsOf(s) : OutputsOf(s);
    QStringList list;
    for (int n = 1; n <= count; ++n)
        list << m_core.labels().label(Kind(kind), n);
    return list;
}

QList<int> CoreRemote::onAirRoutes() const
{
    const MatrixState &s = m_core.state();
    QList<int> routes;
    for (int o = 0; o < OutputsOf(s); ++o) {
        // A pending route is not on air yet: the output still shows its earlier input. Nor is
        // one the switcher never answered for.
        const RouteJournal &journal = m_core.journal();
        const int input = journal.unconfirmed(o) ? journal.confirmedOnAir(o) : OnAirInput(s, o);
        routes << (input < InputsOf(s) ? input : -1);
    }
    return routes;
}

bool CoreRemote::gateFree() const
{
    return !m_core.gateBusy() && m_core.state().Busy == 0 && !m_core.acting();
}

bool CoreRemote::operatorPending() const
{
    const MatrixState &s = m_core.state();
    if (s.PresetPreviewPending != 0 || m_core.undoTake().pending())
        return true;
    for (int o = 0; o < OutputsOf(s); ++o)
        if (s.Routes[o].Taken == 0)
            return true;
    return false;
}

bool CoreRemote::inputAllowed(int output, int input) const
{
    return output < OutputsOf(m_core.state()) && InputAllowedFor(m_core.state(), output, input);
}

Holds &CoreRemote::holds() { return m_core.holds(); }

QString CoreRemote::salvoRefusal(const QList<int> &outputs, const QString &owner) const
{
    return m_core.commits().refusal({QStringLiteral("Remote salvo"), outputs, true, {}}, owner);
}

void CoreRemote::readSwitcherRoutes(const QString &origin)
{
    m_core.act(origin, [&] { m_core.follower().catchUp(); });
}

void CoreRemote::takeRoutes(const QList<QPair<int, int>> &routes, const QString &origin)
{
    m_core.act(origin, [&] { m_core.routing().TakeSalvo(routes); });
}

void CoreRemote::setLabel(HubLabelKind kind, int port, const QString &text)
{
    // As typed: the edit keeps six characters at most, and leaving it applies them.
    m_core.labels().setLabel(Kind(kind), port + 1, text);
}
} // namespace kv
