#include "sim/RoverUnit.h"

#include <string_view>
#include <utility>

namespace tvqx::sim {

namespace {

constexpr std::string_view kSettingPrefix = "#:C";
constexpr std::string_view kTakeSettings = "#:Z";
constexpr std::string_view kIdentify = "I";

bool StartsWith(const std::vector<uint8_t>& bytes, std::string_view prefix)
{
    return bytes.size() >= prefix.size() && std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                             prefix.size()) == prefix;
}

bool Is(const std::vector<uint8_t>& bytes, std::string_view text)
{
    return bytes.size() == text.size() && StartsWith(bytes, text);
}

} // namespace

RoverUnit::RoverUnit(SimDevice& inner, uint32_t innerBaud, int variant, const RadioOptions& options)
    : m_inner(inner),
      m_options(options),
      // Its own UART to the radio module: the front's answers are never
      // garbled, whatever the serial line does.
      m_front(0),
      m_probe(variant == 3 ? kRowProbe : kPageProbe),
      m_probeAnswer(variant == 3 ? kRowProbeAnswer : kPageProbeAnswer),
      m_serial(options.roverSerial)
{
    m_front.SetPower(true, 0);
    m_inner.SetPower(true, true, 0);
    m_inner.SetLineSpeed(innerBaud, 0);
    m_parameters.id = options.roverPanId;
    m_parameters.ch = options.roverChannel;
    if (options.linkConfigured) {
        m_parameters.dh = static_cast<uint32_t>(options.gatewaySerial >> 32);
        m_parameters.dl = static_cast<uint32_t>(options.gatewaySerial);
    }
    m_pending = m_parameters;
}

void RoverUnit::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    for (size_t i = 0; i < count; ++i) {
        m_received.push_back({nowMs, data[i]});
        if (!m_innerSpoken && data[i] == m_probe) {
            ++m_probesHeard;
            const bool answers = m_options.probesAnswered < 0 || m_probesAnswered < size_t(m_options.probesAnswered);
            const std::string probe = "probe " + ShowByte(m_probe) + " reached the remote unit";
            if (answers) {
                ++m_probesAnswered;
                m_front.Answer({m_probeAnswer}, nowMs);
                Tell(nowMs, probe + ": answered by its front");
            } else {
                Tell(nowMs, probe + ": not answered (--probes-answered " + std::to_string(m_options.probesAnswered)
                                + ")");
            }
            continue;
        }
        m_innerSpoken = true;
        m_inner.Receive(data + i, 1, nowMs);
    }
}

void RoverUnit::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    m_front.Collect(nowMs, out);
    m_inner.Collect(nowMs, out);
}

std::vector<uint8_t> RoverUnit::TakePayload(const std::vector<uint8_t>& payload, uint64_t nowMs)
{
    (void)nowMs;
    m_payloads.push_back(payload);
    if (Is(payload, kIdentify)) {
        const std::string line =
            (m_options.moduleIdAnswer.empty() ? std::string(1, m_options.moduleId) : m_options.moduleIdAnswer) + "\r";
        return {line.begin(), line.end()};
    }
    if (StartsWith(payload, kSettingPrefix))
        return TakeSetting(payload);
    if (Is(payload, kTakeSettings)) {
        if (!m_options.linkNeverUp) {
            m_parameters = m_pending;
            ++m_settingsTaken;
        }
        return {};
    }
    m_errors.push_back("unknown payload " + HexList(payload));
    return {};
}

// "#:C", two digits m, then m bytes: two letters and the value.
std::vector<uint8_t> RoverUnit::TakeSetting(const std::vector<uint8_t>& payload)
{
    const size_t head = kSettingPrefix.size() + 2;
    const auto count = payload.size() >= head ? TwoDigits(payload[3], payload[4]) : std::nullopt;
    if (!count || *count < 2 || payload.size() != head + *count) {
        m_errors.push_back("setting with a bad length: " + HexList(payload));
        return {};
    }
    const std::string letters{static_cast<char>(payload[head]), static_cast<char>(payload[head + 1])};
    const auto size = ParameterSize(letters);
    const size_t valueSize = *count - 2;
    if (!size || *size != valueSize
        || !SetParameter(m_pending, letters, FromBigEndian(payload.data() + head + 2, valueSize))) {
        m_errors.push_back("setting " + letters + " refused: " + HexList(payload));
        return WithFault(ResponseFrame(letters, 0x02), FaultFor(m_options, "r" + letters));
    }
    return WithFault(ResponseFrame(letters, 0), FaultFor(m_options, "r" + letters));
}

void RoverUnit::EndSession(uint64_t nowMs)
{
    if (m_innerSpoken) {
        m_inner.SetPower(false, false, nowMs);
        m_inner.SetPower(true, true, nowMs);
        ++m_sessions;
        Tell(nowMs, "the remote unit's boot loader starts afresh: the gateway left transparent mode");
    }
    m_innerSpoken = false;
}

void RoverUnit::PressSetupButton(uint64_t nowMs)
{
    ++m_presses;
    const std::string line = m_options.setupLine.value_or(
        RoverParameterLine(m_options.moduleId, m_serial, m_parameters.id, m_parameters.ch));
    m_setupSends.push_back({nowMs, {line.begin(), line.end()}});
}

std::vector<RadioSend> RoverUnit::TakeSetupSends()
{
    return std::exchange(m_setupSends, {});
}

} // namespace tvqx::sim
