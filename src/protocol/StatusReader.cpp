#include "protocol/StatusReader.h"

#include "link/CommandChannel.h"
#include "protocol/Commands.h"

#include <cstring>

namespace kv {

namespace {

const QString kQuerying = QStringLiteral("KV Control querying Kestavion. Please wait....");

} // namespace

StatusReader::StatusReader(MatrixState &state, CommandChannel &channel, StatusHost &host)
    : m_state(state), m_channel(channel), m_host(host)
{
}

int StatusReader::FindStartMarker(const std::uint8_t *reply, int size)
{
    const int end = size < kMarkerSearch ? size : kMarkerSearch;
    for (int m = 0; m < end; ++m) {
        if (reply[m] == 1)
            return m;
    }
    return -1;
}

bool StatusReader::ParseReply(const std::uint8_t *reply, int size, int payloadSize, void *target)
{
    const int m = FindStartMarker(reply, size);
    if (m < 0 || payloadSize < 0 || payloadSize > size - m - 2)
        return false;
    std::memcpy(target, reply + m + 2, std::size_t(payloadSize));
    return true;
}

bool StatusReader::runQuery(const QByteArray &text, int size, void *target,
                            const QString &parseError, bool extraEventPass)
{
    const QueryReply reply = m_channel.runQuery(text, size);
    if (reply.failed)
        return false;

    // Payloads are at most 170 bytes and start by position 31: always inside the buffer.
    static_assert(kMarkerSearch + 1 + kGroupTableSize < CommandChannel::kReplyBufferSize);
    if (!ParseReply(reinterpret_cast<const std::uint8_t *>(reply.bytes.constData()),
                    int(reply.bytes.size()), size, target)) {
        m_host.setStatusText(parseError);
        m_host.processEvents();
        m_host.pause(m_channel.timeouts().QueryPauseMs);
        if (extraEventPass)
            m_host.processEvents();
        return false;
    }
    return true;
}

bool StatusReader::QuerySystemInfo()
{
    if (!runQuery(QuerySystemInfoText(), kSystemInfoSize, &m_state.Info,
                  QStringLiteral("Error parsing MINFOKV message...."), true))
        return false;
    ApplyModelCode(m_state, m_state.Info.ModelCode);
    UnpackReclockMask(m_state.Info.ReclockMask, m_state.Reclock, OutputsOf(m_state));
    return true;
}

bool StatusReader::QueryRoutes()
{
    static_assert(sizeof m_state.Routes == kMaxPorts * sizeof(RouteEntry));
    return runQuery(QueryRoutesText(), OutputsOf(m_state) * int(sizeof(RouteEntry)), m_state.Routes,
                    QStringLiteral("Error parsing OINFOKV message...."));
}

bool StatusReader::QueryPreviousInputs()
{
    return runQuery(QueryPreviousInputsText(), OutputsOf(m_state), m_state.PreviousInput,
                    QStringLiteral("Error parsing OPINFOKV message...."));
}

bool StatusReader::QueryPresets()
{
    for (int p = 0; p < kPresetCount; ++p) {
        if (!runQuery(QueryPresetText(p), kPresetSize, &m_state.Presets[p],
                      QStringLiteral("Error parsing PINFOKV message....")))
            return false;
    }
    return true;
}

bool StatusReader::QueryGroups()
{
    return runQuery(QueryGroupsText(), kGroupTableSize, &m_state.Groups,
                    QStringLiteral("Error parsing GINFOKV message...."));
}

bool StatusReader::QueryPresetGroups()
{
    for (int p = 0; p < kPresetCount; ++p) {
        if (p == 2)
            m_host.setProgressDots(QStringLiteral("......."));
        else if (p == 5)
            m_host.setProgressDots(QStringLiteral("........"));
        if (!runQuery(QueryPresetGroupsText(p), kGroupTableSize, &m_state.PresetGroups[p],
                      QStringLiteral("Error parsing PGINFOKV message....")))
            return false;
    }
    return true;
}

int StatusReader::ReadAllStatus()
{
    CommandChannel::Exchange exchange(m_channel);
    m_host.setProgressMessage(kQuerying);
    m_host.setProgressDots(QString());
    m_host.showProgress();

    if (!QuerySystemInfo()) {
        m_host.hideProgress();
        return -1;
    }

    // A later block that fails is reported and the read goes on without the progress window,
    // unless the link itself went down: that has been reported once already, and every
    // query left would only fail with a box of its own.
    bool linkGone = false;
    const auto read = [&](bool (StatusReader::*query)(), const char *text) {
        if (linkGone || (this->*query)())
            return;
        m_host.hideProgress();
        linkGone = !m_channel.linkUp();
        if (!linkGone)
            m_host.showReadError(QString::fromLatin1(text));
    };

    m_host.setProgressDots(QStringLiteral("."));
    read(&StatusReader::QueryRoutes,
         "KV Control unable to read Output Status. (NOTE: KV Control settings on Output will be "
         "invalid)");
    m_host.setProgressDots(QStringLiteral("..."));
    read(&StatusReader::QueryPreviousInputs,
         "KV Control unable to read Prev Output Status. (NOTE: KV Control settings on Output "
         "will be invalid)");
    m_host.setProgressDots(QStringLiteral("...."));
    read(&StatusReader::QueryPresets,
         "KV Control unable to read Preset Status. (NOTE: KV Control settings will be invalid)");
    m_host.setProgressDots(QStringLiteral("....."));
    read(&StatusReader::QueryGroups,
         "KV Control unable to read Grouping Status. (NOTE: KV Control settings on Grouping will "
         "be invalid)");
    m_host.setProgressDots(QStringLiteral("......"));
    read(&StatusReader::QueryPresetGroups,
         "KV Control unable to read Preset Group Status. (NOTE: KV Control settings will be "
         "invalid)");

    m_host.hideProgress();
    return 1;
}

} // namespace kv
