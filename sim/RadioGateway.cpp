#include "sim/RadioGateway.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tvqx::sim {

RadioGateway::RadioGateway(RoverUnit& rover, int variant, RadioOptions options)
    : m_rover(rover),
      m_variant(variant),
      m_options(std::move(options)),
      m_line(m_options.gatewayBaud, m_options.noiseAt)
{
    // Its own supply: on from the start, whatever the port does.
    m_line.SetPower(true, 0);
    m_parameters.id = 0xD1D3;
    m_parameters.ch = 0x0E;
    if (m_options.linkConfigured) {
        m_parameters.dh = static_cast<uint32_t>(m_options.roverSerial >> 32);
        m_parameters.dl = static_cast<uint32_t>(m_options.roverSerial);
    }
    m_linkWasUp = LinkUp();
    if (m_options.setupPressAtMs)
        m_setupPresses.insert(*m_options.setupPressAtMs);
}

void RadioGateway::SetPower(bool dtr, bool rts, uint64_t nowMs)
{
    const bool open = dtr || rts;
    if (open == m_portOpen)
        return;
    m_powerEvents.push_back({nowMs, open});
    if (open) {
        // What it sent while no one had the port open is gone.
        Advance(nowMs);
        std::vector<uint8_t> stale;
        m_line.Collect(nowMs, stale);
    }
    m_portOpen = open;
}

void RadioGateway::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    m_line.SetLineSpeed(baud, nowMs);
    m_speedEvents.push_back({nowMs, baud});
}

bool RadioGateway::LinkUp() const
{
    const RadioParameters& far = m_rover.Parameters();
    return m_parameters.dh == static_cast<uint32_t>(m_rover.Serial() >> 32)
        && m_parameters.dl == static_cast<uint32_t>(m_rover.Serial())
        && far.dh == static_cast<uint32_t>(m_options.gatewaySerial >> 32)
        && far.dl == static_cast<uint32_t>(m_options.gatewaySerial);
}

std::vector<std::string> RadioGateway::Errors() const
{
    std::vector<std::string> all = m_errors;
    for (const std::string& error : m_rover.Errors())
        all.push_back("remote unit: " + error);
    return all;
}

std::optional<uint64_t> RadioGateway::NextEventMs() const
{
    std::optional<uint64_t> next = m_plusGuardEndMs;
    const auto earliest = [&](uint64_t t) { next = std::min(next.value_or(t), t); };
    if (!m_setupPresses.empty())
        earliest(*m_setupPresses.begin());
    for (const RadioSend& send : m_setupSends)
        earliest(send.timeMs + m_options.relayDelayMs);
    if (!m_toRover.empty())
        earliest(m_toRover.front().timeMs);
    return next;
}

void RadioGateway::Advance(uint64_t nowMs)
{
    for (RadioSend& send : m_rover.TakeSetupSends())
        m_setupSends.push_back(std::move(send));
    for (;;) {
        const std::optional<uint64_t> next = NextEventMs();
        if (!next || *next > nowMs)
            break;
        const uint64_t t = *next;
        PullRover(t);
        if (m_plusGuardEndMs == t) {
            m_plusGuardEndMs.reset();
            m_plusRun = 0;
            m_mode = Mode::RadioCommand;
            m_atLine.clear();
            Answer(std::string("OK\r"), t);
            Tell(t, "\"+++\" between guard times: radio in AT command mode");
        }
        while (!m_setupPresses.empty() && *m_setupPresses.begin() == t) {
            m_setupPresses.erase(m_setupPresses.begin());
            m_rover.PressSetupButton(t);
        }
        for (RadioSend& send : m_rover.TakeSetupSends())
            m_setupSends.push_back(std::move(send));
        std::stable_sort(m_setupSends.begin(), m_setupSends.end(),
                         [](const RadioSend& a, const RadioSend& b) { return a.timeMs < b.timeMs; });
        while (!m_setupSends.empty() && m_setupSends.front().timeMs + m_options.relayDelayMs == t) {
            const RadioSend send = std::move(m_setupSends.front());
            m_setupSends.erase(m_setupSends.begin());
            const bool heard = m_listening && m_portOpen && !m_options.gatewayAbsent;
            if (heard)
                Answer(send.bytes, t);
            Tell(t, "Setup pressed: parameter line sent: " + ShowCommand(send.bytes)
                        + (heard ? "" : " (lost: the gateway is not listening)"));
        }
        while (!m_toRover.empty() && m_toRover.front().timeMs == t) {
            m_rover.Receive(&m_toRover.front().value, 1, t);
            m_toRover.pop_front();
        }
    }
    PullRover(nowMs);
}

void RadioGateway::PullRover(uint64_t nowMs)
{
    const uint64_t delay = m_options.relayDelayMs;
    if (nowMs < delay)
        return;
    std::vector<uint8_t> bytes;
    m_rover.Collect(nowMs - delay, bytes);
    if (bytes.empty())
        return;
    if (m_portOpen && m_mode == Mode::Transparent && LinkUp()) {
        for (uint8_t b : bytes)
            m_line.Queue(b, nowMs);
    } else {
        m_lostBytes += bytes.size();
    }
}

void RadioGateway::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    for (size_t i = 0; i < count; ++i) {
        Advance(nowMs);
        const bool understood = m_line.Hear(data[i], nowMs);
        const uint64_t quietMs = m_lastHeardMs ? nowMs - *m_lastHeardMs : std::numeric_limits<uint64_t>::max();
        m_lastHeardMs = nowMs;
        if (m_options.gatewayAbsent)
            continue;
        if (understood) {
            Hear(data[i], nowMs, quietMs);
        } else {
            // Framing garbage still breaks a run and a guard time.
            ReleaseEscapes(nowMs);
            ReleasePluses(nowMs);
        }
    }
    Advance(nowMs);
}

void RadioGateway::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    Advance(nowMs);
    m_line.Collect(nowMs, out);
}

void RadioGateway::Hear(uint8_t byte, uint64_t nowMs, uint64_t quietMs)
{
    if (byte == kRadioEscape && (m_escapeRun > 0 || quietMs >= kEscapeSilenceMs)) {
        if (++m_escapeRun == kEscapeRunLength) {
            m_escapeRun = 0;
            EnterCommandMode(nowMs, "six ESC: command mode");
        }
        return;
    }
    ReleaseEscapes(nowMs);
    Dispatch(byte, nowMs, quietMs);
}

void RadioGateway::ReleaseEscapes(uint64_t nowMs)
{
    // An ESC run that did not reach six was data after all.
    for (int held = std::exchange(m_escapeRun, 0); held > 0; --held)
        Dispatch(kRadioEscape, nowMs, 0);
}

void RadioGateway::ReleasePluses(uint64_t nowMs)
{
    const int held = std::exchange(m_plusRun, 0);
    m_plusGuardEndMs.reset();
    if (m_mode == Mode::Transparent)
        for (int i = 0; i < held; ++i)
            Relay('+', nowMs);
}

void RadioGateway::Dispatch(uint8_t byte, uint64_t nowMs, uint64_t quietMs)
{
    switch (m_mode) {
    case Mode::Command: CommandByte(byte, nowMs); break;
    case Mode::Frames: FrameByte(byte, nowMs); break;
    case Mode::Transparent: Transparent(byte, nowMs, quietMs); break;
    case Mode::RadioCommand: RadioCommandByte(byte, nowMs); break;
    }
}

void RadioGateway::Transparent(uint8_t byte, uint64_t nowMs, uint64_t quietMs)
{
    if (byte == '+' && m_plusRun < 3 && (m_plusRun > 0 || quietMs >= kPlusGuardMs)) {
        // Held back: "+++" is for the gateway's own radio once the guard
        // time after it has passed in silence.
        if (++m_plusRun == 3)
            m_plusGuardEndMs = nowMs + kPlusGuardMs;
        return;
    }
    ReleasePluses(nowMs);
    Relay(byte, nowMs);
}

void RadioGateway::Relay(uint8_t byte, uint64_t nowMs)
{
    if (LinkUp()) {
        m_toRover.push_back({nowMs + m_options.relayDelayMs, byte});
        m_toldLoss = false;
        return;
    }
    ++m_lostBytes;
    if (!m_toldLoss)
        Tell(nowMs, "byte(s) for the remote unit lost: the link is not up");
    m_toldLoss = true;
}

void RadioGateway::EnterCommandMode(uint64_t nowMs, const std::string& why)
{
    Tell(nowMs, why);
    if (m_mode == Mode::Transparent || m_mode == Mode::RadioCommand)
        m_rover.EndSession(nowMs);
    m_mode = Mode::Command;
    m_command.clear();
    m_frame.clear();
    m_atLine.clear();
    m_plusRun = 0;
    m_plusGuardEndMs.reset();
}

void RadioGateway::Answer(const std::vector<uint8_t>& bytes, uint64_t dueMs)
{
    if (m_portOpen && !bytes.empty())
        m_line.Answer(bytes, dueMs);
}

void RadioGateway::Answer(const std::string& text, uint64_t dueMs)
{
    Answer(std::vector<uint8_t>(text.begin(), text.end()), dueMs);
}


void RadioGateway::Reject(uint64_t nowMs, std::string text)
{
    m_errors.push_back(text);
    Tell(nowMs, "rejected: " + text);
}

void RadioGateway::TellLink(uint64_t nowMs)
{
    const bool up = LinkUp();
    if (up != m_linkWasUp)
        Tell(nowMs, up ? "link up: each end holds the other's serial number" : "link down");
    m_linkWasUp = up;
}

} // namespace tvqx::sim
