// The gateway's command mode ('<' commands), the API frames after "<RP",
// and its radio's AT commands after "+++".

#include "sim/RadioGateway.h"

#include <cctype>
#include <cstdio>
#include <string_view>
#include <utility>

namespace tvqx::sim {

namespace {

// Longer frame data than any command for the local radio needs.
constexpr size_t kMaxFrameData = 16;
constexpr size_t kMaxAtLine = 32;
constexpr uint8_t kInvalidParameter = 0x02;

constexpr std::string_view kCommands[] = {"<V", "<W", "<RS", "<RN", "<RP", "<@:S", "<@:I", "<@:P"};

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string Hex(uint64_t value, int digits)
{
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::vector<uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::optional<uint64_t> ParseHex(std::string_view text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(c))
                                                       ? c - '0'
                                                       : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
    }
    return value;
}

} // namespace

void RadioGateway::CommandByte(uint8_t byte, uint64_t nowMs)
{
    if (m_command.empty() && byte != '<') {
        // The ESC run before a command is no command itself.
        if (byte != kRadioEscape)
            Reject(nowMs, "byte " + Hex(byte, 2) + " outside any command");
        return;
    }
    m_command.push_back(static_cast<char>(byte));
    RunCommand(nowMs);
}

void RadioGateway::RunCommand(uint64_t nowMs)
{
    const std::string_view c = m_command;
    if (StartsWith(c, "<@:S"))
        return SetCommand(nowMs);
    if (StartsWith(c, "<@:I"))
        return ReadCommand(nowMs);
    if (StartsWith(c, "<@:P"))
        return PayloadCommand(nowMs);
    if (c == "<V") {
        m_stage = std::max(m_stage, Stage::Setup);
        const std::string answer = GatewayAnswerFor(m_variant, m_options);
        Answer(answer, nowMs + kGatewayAnswerDelayMs);
        Tell(nowMs, "gateway found at " + std::to_string(m_options.gatewayBaud) + " baud: \"<V\" answered "
                        + ShowCommand(answer));
    } else if (c == "<W") {
        m_listening = false;
        Tell(nowMs, "\"<W\": idle in command mode");
    } else if (c == "<RS") {
        if (!m_listening && m_options.setupAfterListenMs)
            m_setupPresses.insert(nowMs + *m_options.setupAfterListenMs);
        if (!m_listening)
            Tell(nowMs, "\"<RS\": listening for the remote unit's parameter line");
        m_listening = true;
    } else if (c == "<RN") {
        m_listening = false;
        Tell(nowMs, "\"<RN\": not listening");
    } else if (c == "<RP") {
        m_mode = Mode::Frames;
        m_frame.clear();
        m_framesSeen.clear();
        m_framesGood = true;
    } else {
        for (std::string_view known : kCommands)
            if (known.size() > c.size() && StartsWith(known, c))
                return;   // not complete yet
        const bool restart = c.size() > 1 && c.back() == '<';
        Reject(nowMs, "unknown command " + ShowCommand(c));
        m_command.clear();
        if (restart)
            m_command.push_back('<');
        return;
    }
    m_command.clear();
}

// "<@:S", two digits n, n bytes: the parameter's letters and its value.
void RadioGateway::SetCommand(uint64_t nowMs)
{
    if (m_command.size() < 6)
        return;
    const auto count = TwoDigits(static_cast<uint8_t>(m_command[4]), static_cast<uint8_t>(m_command[5]));
    if (!count || *count < 2) {
        Reject(nowMs, "bad length in " + ShowCommand(m_command));
        m_command.clear();
        return;
    }
    if (m_command.size() < 6 + *count)
        return;
    const std::string command = std::exchange(m_command, {});
    m_stage = Stage::Configuring;
    const std::string letters = command.substr(6, 2);
    const size_t valueSize = *count - 2;
    const auto size = ParameterSize(letters);
    const uint64_t value = FromBigEndian(reinterpret_cast<const uint8_t*>(command.data()) + 8, valueSize);
    uint8_t status = 0;
    if (!size || *size != valueSize || !SetParameter(m_parameters, letters, value)) {
        Reject(nowMs, "cannot set " + letters + " from " + ShowCommand(command));
        status = kInvalidParameter;
    } else {
        Tell(nowMs, "\"<@:S\": " + letters + " = " + Hex(value, int(2 * valueSize)));
    }
    Answer(WithFault(ResponseFrame(letters, status), FaultFor(m_options, letters)), nowMs + kGatewayAnswerDelayMs);
    TellLink(nowMs);
}

// "<@:I" and two letters: the parameter's value as four bytes.
void RadioGateway::ReadCommand(uint64_t nowMs)
{
    if (m_command.size() < 6)
        return;
    const std::string letters = std::exchange(m_command, {}).substr(4, 2);
    m_stage = Stage::Configuring;
    std::optional<uint64_t> value = GetParameter(m_parameters, letters);
    if (letters == "SH")
        value = m_options.gatewaySerial >> 32;
    else if (letters == "SL")
        value = m_options.gatewaySerial & 0xFFFFFFFFu;
    if (!value)
        Reject(nowMs, "cannot read " + ShowCommand(letters));
    const std::vector<uint8_t> frame =
        ResponseFrame(letters, value ? 0 : kInvalidParameter, BigEndian(value.value_or(0), 4));
    Answer(WithFault(frame, FaultFor(m_options, letters)), nowMs + kGatewayAnswerDelayMs);
}

// "<@:P", two digits n, n payload bytes for the remote unit.
void RadioGateway::PayloadCommand(uint64_t nowMs)
{
    if (m_command.size() < 6)
        return;
    const auto count = TwoDigits(static_cast<uint8_t>(m_command[4]), static_cast<uint8_t>(m_command[5]));
    if (!count) {
        Reject(nowMs, "bad length in " + ShowCommand(m_command));
        m_command.clear();
        return;
    }
    if (m_command.size() < 6 + *count)
        return;
    const std::vector<uint8_t> payload = Bytes(std::string_view(std::exchange(m_command, {})).substr(6));
    m_stage = Stage::Configuring;
    const RadioParameters& far = m_rover.Parameters();
    // The second gateway's radio hops channels: it must share the unit's.
    const bool reaches = m_parameters.id == far.id && (m_variant != 6 || m_parameters.ch == far.ch);
    if (!reaches) {
        Tell(nowMs, "payload " + ShowCommand(payload) + " lost: the gateway is on PAN ID " + Hex(m_parameters.id, 4)
                        + " channel " + Hex(m_parameters.ch, 2) + ", the remote unit on " + Hex(far.id, 4)
                        + " channel " + Hex(far.ch, 2));
        return;
    }
    const std::vector<uint8_t> reply = m_rover.TakePayload(payload, nowMs);
    Tell(nowMs, "payload " + ShowCommand(payload) + " delivered; the remote unit answers "
                    + (reply.empty() ? std::string("nothing") : ShowCommand(reply)));
    Answer(reply, nowMs + kRemoteReplyMs);
    TellLink(nowMs);
}

void RadioGateway::FrameByte(uint8_t byte, uint64_t nowMs)
{
    if (m_frame.empty() && byte != kApiStart) {
        Reject(nowMs, "byte " + Hex(byte, 2) + " where an API frame should start");
        m_mode = Mode::Command;
        CommandByte(byte, nowMs);
        return;
    }
    m_frame.push_back(byte);
    if (m_frame.size() < 3)
        return;
    const size_t length = (size_t{m_frame[1]} << 8) | m_frame[2];
    if (length < 4 || length > kMaxFrameData) {
        Reject(nowMs, "API frame with a bad length: " + HexList(m_frame));
        m_frame.clear();
        m_mode = Mode::Command;
        return;
    }
    if (m_frame.size() == 3 + length + 1)
        CheckFrame(nowMs);
}

void RadioGateway::CheckFrame(uint64_t nowMs)
{
    const std::vector<uint8_t> frame = std::exchange(m_frame, {});
    const uint8_t* data = frame.data() + 3;
    const size_t size = frame.size() - 4;
    const bool expected =
        frame == kPanIdFrame || frame == kApiModeFrame || (m_variant == 6 && frame == kChannelFrame);
    if (!expected) {
        m_framesGood = false;
        const char* what = ApiChecksum(data, size) != frame.back() ? "with a bad checksum"
                           : data[0] != kApiLocalCommand           ? "of the wrong type"
                                                                   : "not expected here";
        Reject(nowMs, std::string("API frame ") + what + ": " + HexList(frame));
        return;
    }
    const std::string letters{static_cast<char>(data[2]), static_cast<char>(data[3])};
    SetParameter(m_parameters, letters, FromBigEndian(data + 4, size - 4));
    m_framesSeen.insert(letters);
    if (letters != "AP")
        return;

    for (const char* needed : {"ID", "CH"}) {
        if ((needed == std::string_view("CH") && m_variant != 6) || m_framesSeen.count(needed))
            continue;
        m_framesGood = false;
        Reject(nowMs, std::string("\"<RP\" without the ") + needed + " frame before the API mode frame");
    }
    m_mode = Mode::Transparent;
    m_plusRun = 0;
    Tell(nowMs, std::string(m_framesGood ? "<RP frames ok" : "<RP frames NOT all right") + " (ID "
                    + Hex(m_parameters.id, 4) + ", CH " + Hex(m_parameters.ch, 2) + ", AP "
                    + Hex(m_parameters.ap, 2) + "): transparent mode, link " + (LinkUp() ? "up" : "down"));
}

// "ATxx<hex>\r" sets a parameter, "ATCN\r" goes back to transparent mode.
void RadioGateway::RadioCommandByte(uint8_t byte, uint64_t nowMs)
{
    if (byte != '\r') {
        m_atLine.push_back(static_cast<char>(byte));
        if (m_atLine.size() > kMaxAtLine) {
            Reject(nowMs, "AT command too long: " + ShowCommand(m_atLine));
            m_atLine.clear();
        }
        return;
    }
    const std::string line = std::exchange(m_atLine, {});
    if (line == "ATCN") {
        Answer(std::string("OK\r"), nowMs + kGatewayAnswerDelayMs);
        m_mode = Mode::Transparent;
        Tell(nowMs, "\"ATCN\": transparent mode");
        return;
    }
    const std::string letters = line.size() >= 4 ? line.substr(2, 2) : std::string();
    const auto value = line.size() > 4 ? ParseHex(std::string_view(line).substr(4)) : std::nullopt;
    if (!StartsWith(line, "AT") || !value || !SetParameter(m_parameters, letters, *value)) {
        Reject(nowMs, "AT command " + ShowCommand(line));
        Answer(std::string("ERROR\r"), nowMs + kGatewayAnswerDelayMs);
        return;
    }
    Answer(std::string("OK\r"), nowMs + kGatewayAnswerDelayMs);
    Tell(nowMs, ShowCommand(line) + ": " + letters + " = " + Hex(*value, 2));
}

} // namespace tvqx::sim
