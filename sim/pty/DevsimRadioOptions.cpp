// The options of the radio units: the gateway, the remote unit behind it,
// the Setup button, and the faults of both.

#include "sim/pty/DevsimOptionTable.h"

#include <cctype>
#include <limits>
#include <optional>

namespace tvqx::sim {

namespace {

using O = DevsimOptions;
using V = const std::string&;

constexpr uint64_t kMaxMs = std::numeric_limits<uint32_t>::max();
constexpr uint64_t kMinBaud = 50;
constexpr uint64_t kMaxBaud = 4000000;

int HexValue(char c)
{
    if (std::isdigit(static_cast<unsigned char>(c)))
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// C escapes as a shell cannot type them: \r \n \t \\ and \xHH.
std::optional<std::string> Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            const int hi = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

std::optional<AnswerFault> FaultNamed(const std::string& name)
{
    const struct {
        const char* name;
        AnswerFault fault;
    } kinds[] = {{"missing", AnswerFault::Missing},      {"short", AnswerFault::Short},
                 {"wrong-type", AnswerFault::WrongType}, {"bad-status", AnswerFault::BadStatus},
                 {"wrong-letters", AnswerFault::WrongLetters}};
    for (const auto& kind : kinds)
        if (name == kind.name)
            return kind.fault;
    return std::nullopt;
}

// PARAM=KIND.
bool SetAnswerFault(O& o, V v)
{
    const size_t eq = v.find('=');
    if (eq == std::string::npos)
        return false;
    const std::string parameter = v.substr(0, eq);
    const auto fault = FaultNamed(v.substr(eq + 1));
    static const char* const kParameters[] = {"CH", "ID", "SH", "SL", "DH", "DL", "rDH", "rDL"};
    for (const char* known : kParameters) {
        if (fault && parameter == known) {
            o.faults.radio.answerFaults[parameter] = *fault;
            return true;
        }
    }
    return false;
}

bool SetMs(uint32_t& field, V v)
{
    const auto ms = ParseUnsigned(v, kMaxMs);
    if (ms)
        field = static_cast<uint32_t>(*ms);
    return ms.has_value();
}

} // namespace

std::vector<DevsimOptionSpec> RadioSpecs()
{
    return {
        {"--gateway-baud", true, kUnitsRadio,
         [](O& o, V v) {
             const auto baud = ParseUnsigned(v, kMaxBaud);
             if (baud && *baud >= kMinBaud)
                 o.faults.radio.gatewayBaud = static_cast<uint32_t>(*baud);
             return baud && *baud >= kMinBaud;
         }},
        {"--no-gateway", false, kUnitsRadio,
         [](O& o, V) {
             o.faults.radio.gatewayAbsent = true;
             return true;
         }},
        {"--link-configured", false, kUnitsRadio,
         [](O& o, V) {
             o.faults.radio.linkConfigured = true;
             return true;
         }},
        {"--module-id", true, kUnitsRadio,
         [](O& o, V v) {
             const bool ok = v.size() == 1 && std::isalnum(static_cast<unsigned char>(v[0]));
             if (ok)
                 o.faults.radio.moduleId = v[0];
             return ok;
         }},
        {"--setup-after", true, kUnitsRadio,
         [](O& o, V v) {
             const auto ms = ParseUnsigned(v, kMaxMs);
             if (ms)
                 o.faults.radio.setupAfterListenMs = *ms;
             return ms.has_value();
         }},
        {"--answer-fault", true, kUnitsRadio, SetAnswerFault},
        {"--module-id-answer", true, kUnitsRadio,
         [](O& o, V v) {
             o.faults.radio.moduleIdAnswer = v;
             return !v.empty();
         }},
        {"--link-never-up", false, kUnitsRadio,
         [](O& o, V) {
             o.faults.radio.linkNeverUp = true;
             return true;
         }},
        {"--probes-answered", true, kUnitsRadio,
         [](O& o, V v) {
             const auto n = ParseUnsigned(v, 1000000);
             if (n)
                 o.faults.radio.probesAnswered = static_cast<int>(*n);
             return n.has_value();
         }},
        {"--setup-line", true, kUnitsRadio,
         [](O& o, V v) {
             const auto text = Unescape(v);
             if (text)
                 o.faults.radio.setupLine = *text;
             return text.has_value();
         }},
        {"--relay-delay", true, kUnitsRadio, [](O& o, V v) { return SetMs(o.faults.radio.relayDelayMs, v); }},
    };
}

} // namespace tvqx::sim
