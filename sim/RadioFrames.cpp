#include "sim/RadioFrames.h"

#include <cstdio>
#include <utility>

namespace tvqx::sim {

namespace {

// The byte 3 a confused radio might answer with: a remote command's
// response, not the local one the program asked for.
constexpr uint8_t kWrongResponseType = 0x97;
constexpr uint8_t kErrorStatus = 0x01;

constexpr size_t kResponseTypeAt = 3;
constexpr size_t kResponseLettersAt = 5;
constexpr size_t kResponseStatusAt = 7;

void Rechecksum(std::vector<uint8_t>& frame)
{
    if (frame.size() > 4)
        frame.back() = ApiChecksum(frame.data() + 3, frame.size() - 4);
}

} // namespace

const std::vector<uint8_t> kPanIdFrame{0x7E, 0x00, 0x06, 0x08, 0x52, 0x49, 0x44, 0xD1, 0xD3, 0x74};
const std::vector<uint8_t> kChannelFrame{0x7E, 0x00, 0x05, 0x08, 0x52, 0x43, 0x48, 0x0E, 0x0C};
const std::vector<uint8_t> kApiModeFrame{0x7E, 0x00, 0x05, 0x08, 0x52, 0x41, 0x50, 0x00, 0x14};

uint8_t ApiChecksum(const uint8_t* data, size_t count)
{
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + data[i]);
    return static_cast<uint8_t>(0xFF - sum);
}

std::vector<uint8_t> ResponseFrame(std::string_view letters, uint8_t status, const std::vector<uint8_t>& value)
{
    const size_t length = 5 + value.size();
    std::vector<uint8_t> frame{kApiStart, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length),
                               kApiCommandResponse, kApiResponseId};
    frame.push_back(static_cast<uint8_t>(letters.size() > 0 ? letters[0] : '?'));
    frame.push_back(static_cast<uint8_t>(letters.size() > 1 ? letters[1] : '?'));
    frame.push_back(status);
    frame.insert(frame.end(), value.begin(), value.end());
    frame.push_back(0);
    Rechecksum(frame);
    return frame;
}

std::vector<uint8_t> WithFault(std::vector<uint8_t> frame, AnswerFault fault)
{
    switch (fault) {
    case AnswerFault::None:
        break;
    case AnswerFault::Missing:
        frame.clear();
        break;
    case AnswerFault::Short:
        frame.pop_back();
        break;
    case AnswerFault::WrongType:
        frame[kResponseTypeAt] = kWrongResponseType;
        Rechecksum(frame);
        break;
    case AnswerFault::BadStatus:
        frame[kResponseStatusAt] = kErrorStatus;
        Rechecksum(frame);
        break;
    case AnswerFault::WrongLetters:
        std::swap(frame[kResponseLettersAt], frame[kResponseLettersAt + 1]);
        Rechecksum(frame);
        break;
    }
    return frame;
}

AnswerFault FaultFor(const RadioOptions& options, const std::string& key)
{
    const auto it = options.answerFaults.find(key);
    return it == options.answerFaults.end() ? AnswerFault::None : it->second;
}

std::vector<uint8_t> BigEndian(uint64_t value, size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[size - 1 - i] = static_cast<uint8_t>(value >> (8 * i));
    return bytes;
}

uint64_t FromBigEndian(const uint8_t* bytes, size_t size)
{
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

std::string GatewayAnswerFor(int variant, const RadioOptions& options)
{
    if (!options.gatewayAnswer.empty())
        return options.gatewayAnswer + "\r";
    // The gateway model differs: its firmware tells the program which set of
    // radio commands it takes.
    return variant == 3 ? "TVRG-400 V1.20\r" : "TVRG-400 V2.03\r";
}

std::string RoverParameterLine(char moduleId, uint64_t serial, uint16_t panId, uint8_t channel)
{
    char body[64];
    std::snprintf(body, sizeof body, "ROVER,%c,%08X,%08X,%04X,%02X", moduleId, static_cast<unsigned>(serial >> 32),
                  static_cast<unsigned>(serial & 0xFFFFFFFFu), static_cast<unsigned>(panId),
                  static_cast<unsigned>(channel));
    uint8_t check = 0;
    for (const char* c = body; *c; ++c)
        check = static_cast<uint8_t>(check ^ static_cast<uint8_t>(*c));
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r", static_cast<unsigned>(check));
    return std::string("$") + body + tail;
}

std::optional<size_t> TwoDigits(uint8_t tens, uint8_t units)
{
    if (tens < '0' || tens > '9' || units < '0' || units > '9')
        return std::nullopt;
    return size_t(tens - '0') * 10 + size_t(units - '0');
}

std::optional<size_t> ParameterSize(std::string_view letters)
{
    if (letters == "CH" || letters == "AP")
        return 1;
    if (letters == "ID")
        return 2;
    if (letters == "DH" || letters == "DL" || letters == "SH" || letters == "SL")
        return 4;
    return std::nullopt;
}

bool SetParameter(RadioParameters& parameters, std::string_view letters, uint64_t value)
{
    if (letters == "CH")
        parameters.ch = static_cast<uint8_t>(value);
    else if (letters == "AP")
        parameters.ap = static_cast<uint8_t>(value);
    else if (letters == "ID")
        parameters.id = static_cast<uint16_t>(value);
    else if (letters == "DH")
        parameters.dh = static_cast<uint32_t>(value);
    else if (letters == "DL")
        parameters.dl = static_cast<uint32_t>(value);
    else
        return false;   // the serial number halves are read-only
    return true;
}

std::optional<uint64_t> GetParameter(const RadioParameters& parameters, std::string_view letters)
{
    if (letters == "CH")
        return parameters.ch;
    if (letters == "AP")
        return parameters.ap;
    if (letters == "ID")
        return parameters.id;
    if (letters == "DH")
        return parameters.dh;
    if (letters == "DL")
        return parameters.dl;
    return std::nullopt;
}

std::string HexList(const std::vector<uint8_t>& bytes)
{
    std::string text;
    char hex[4];
    for (uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(b));
        if (!text.empty())
            text += ' ';
        text += hex;
    }
    return text;
}

std::string ShowCommand(std::string_view bytes)
{
    std::string text = "\"";
    char hex[8];
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b >= 0x20 && b < 0x7F) {
            text += c;
        } else {
            std::snprintf(hex, sizeof hex, "<%02X>", static_cast<unsigned>(b));
            text += hex;
        }
    }
    return text + "\"";
}

std::string ShowCommand(const std::vector<uint8_t>& bytes)
{
    return ShowCommand(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace tvqx::sim
