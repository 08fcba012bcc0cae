#include "sim/pty/DevsimOptions.h"

#include <cctype>
#include <functional>
#include <limits>
#include <optional>

namespace tvqx::sim {

namespace {

std::optional<uint64_t> ParseUnsigned(const std::string& text, uint64_t max)
{
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (max - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Bytes written as hex digits, two per byte ("21", "0x0D0A"); `single`
// asks for exactly one byte, where "D" alone is accepted too.
std::optional<std::vector<uint8_t>> ParseHex(std::string text, bool single)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    if (single && text.size() == 1)
        text.insert(text.begin(), '0');
    if (text.empty() || text.size() % 2 != 0 || (single && text.size() != 2))
        return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = HexDigit(text[i]);
        const int lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return bytes;
}

std::optional<std::pair<std::string, std::string>> SplitPair(const std::string& text)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    return std::make_pair(text.substr(0, colon), text.substr(colon + 1));
}

constexpr uint64_t kMaxMs = std::numeric_limits<uint32_t>::max();
constexpr uint64_t kMaxPage = std::numeric_limits<uint16_t>::max();

using Setter = std::function<bool(DevsimOptions&, const std::string&)>;

struct OptionSpec {
    const char* name;
    bool takesValue;
    Setter set;
};

bool SetMs(uint32_t& field, const std::string& value)
{
    const auto ms = ParseUnsigned(value, kMaxMs);
    if (ms)
        field = static_cast<uint32_t>(*ms);
    return ms.has_value();
}

bool SetByte(std::optional<uint8_t>& field, const std::string& value)
{
    const auto byte = ParseHex(value, true);
    if (byte)
        field = (*byte)[0];
    return byte.has_value();
}

const std::vector<OptionSpec>& Specs()
{
    static const std::vector<OptionSpec> specs = {
        {"--com", true,
         [](DevsimOptions& o, const std::string& v) {
             const auto n = ParseUnsigned(v, 22);
             if (n && *n >= 1)
                 o.comNumber = static_cast<int>(*n);
             return n && *n >= 1;
         }},
        {"--updates", true,
         [](DevsimOptions& o, const std::string& v) {
             const auto n = ParseUnsigned(v, std::numeric_limits<unsigned>::max());
             if (n && *n >= 1)
                 o.updates = static_cast<unsigned>(*n);
             return n && *n >= 1;
         }},
        {"--fast", false, [](DevsimOptions& o, const std::string&) { return o.fast = true; }},
        {"--quiet", false, [](DevsimOptions& o, const std::string&) { return o.quiet = true; }},
        {"--flash-out", true,
         [](DevsimOptions& o, const std::string& v) {
             o.flashOut = v;
             return !v.empty();
         }},
        {"--variant", true,
         [](DevsimOptions& o, const std::string& v) {
             o.variant = v;
             return !v.empty();
         }},
        {"--no-answer", false,
         [](DevsimOptions& o, const std::string&) { return o.faults.ignoreEntryCommand = true; }},
        {"--version", true,
         [](DevsimOptions& o, const std::string& v) {
             o.faults.versionText = v;
             return true;
         }},
        {"--version-pieces", true,
         [](DevsimOptions& o, const std::string& v) {
             std::vector<AnswerPiece> pieces;
             size_t start = 0;
             for (;;) {
                 const size_t comma = v.find(',', start);
                 const auto pair = SplitPair(v.substr(start, comma - start));
                 if (!pair)
                     return false;
                 const auto count = ParseUnsigned(pair->first, 1000);
                 const auto ms = ParseUnsigned(pair->second, kMaxMs);
                 if (!count || !ms)
                     return false;
                 pieces.push_back({static_cast<size_t>(*count), static_cast<uint32_t>(*ms)});
                 if (comma == std::string::npos)
                     break;
                 start = comma + 1;
             }
             o.faults.versionPieces = std::move(pieces);
             return true;
         }},
        {"--no-ready", false,
         [](DevsimOptions& o, const std::string&) { return o.faults.omitReady = true; }},
        {"--ready-byte", true,
         [](DevsimOptions& o, const std::string& v) { return SetByte(o.faults.readyByte, v); }},
        {"--ready-after-wrong", false,
         [](DevsimOptions& o, const std::string&) { return o.faults.readyAfterWrongByte = true; }},
        {"--ready-delay", true,
         [](DevsimOptions& o, const std::string& v) { return SetMs(o.faults.readyDelayMs, v); }},
        {"--resend", true,
         [](DevsimOptions& o, const std::string& v) {
             const auto pair = SplitPair(v);
             const auto page = pair ? ParseUnsigned(pair->first, kMaxPage) : std::nullopt;
             const auto count = pair ? ParseUnsigned(pair->second, 1000000) : std::nullopt;
             if (page && count)
                 o.faults.resendsForPage[static_cast<uint16_t>(*page)] = static_cast<unsigned>(*count);
             return page && count;
         }},
        {"--page-answer", true,
         [](DevsimOptions& o, const std::string& v) {
             const auto pair = SplitPair(v);
             const auto page = pair ? ParseUnsigned(pair->first, kMaxPage) : std::nullopt;
             const auto byte = pair ? ParseHex(pair->second, true) : std::nullopt;
             if (page && byte)
                 o.faults.pageAnswerByte[static_cast<uint16_t>(*page)] = (*byte)[0];
             return page && byte;
         }},
        {"--hang-at-page", true,
         [](DevsimOptions& o, const std::string& v) {
             const auto page = ParseUnsigned(v, kMaxPage);
             if (page)
                 o.faults.hangAtPage = static_cast<uint16_t>(*page);
             return page.has_value();
         }},
        {"--response-delay", true,
         [](DevsimOptions& o, const std::string& v) { return SetMs(o.faults.responseDelayMs, v); }},
        {"--end-answer", true,
         [](DevsimOptions& o, const std::string& v) {
             std::optional<uint8_t> byte;
             if (SetByte(byte, v))
                 o.faults.endMarkerAnswer = *byte;
             return byte.has_value();
         }},
        {"--silent-after-end", false,
         [](DevsimOptions& o, const std::string&) { return o.faults.silentAfterEndMarker = true; }},
        {"--noise-at", true,
         [](DevsimOptions& o, const std::string& v) {
             const auto pair = SplitPair(v);
             const auto ms = pair ? ParseUnsigned(pair->first, kMaxMs) : std::nullopt;
             const auto bytes = pair ? ParseHex(pair->second, false) : std::nullopt;
             if (ms && bytes)
                 o.noise.push_back({*ms, *bytes});
             return ms && bytes;
         }},
        {"--noise-before-answer", true,
         [](DevsimOptions& o, const std::string& v) {
             const auto pair = SplitPair(v);
             const auto n = pair ? ParseUnsigned(pair->first, 1000000) : std::nullopt;
             const auto bytes = pair ? ParseHex(pair->second, false) : std::nullopt;
             if (n && bytes)
                 o.faults.noiseBeforeAnswer[static_cast<size_t>(*n)] = *bytes;
             return n && bytes;
         }},
    };
    return specs;
}

DevsimCommandLine Fail(std::string message)
{
    DevsimCommandLine result;
    result.outcome = DevsimCommandLine::Outcome::Error;
    result.error = std::move(message);
    return result;
}

} // namespace

DevsimCommandLine ParseDevsimCommandLine(const std::vector<std::string>& args)
{
    DevsimCommandLine result;
    DevsimOptions& o = result.options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (name == "--help" || name == "-h") {
            result.outcome = DevsimCommandLine::Outcome::Help;
            return result;
        }
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.erase(eq);
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& s : Specs())
            if (name == s.name)
                spec = &s;
        if (!spec)
            return Fail("unknown option '" + args[i] + "'");
        if (spec->takesValue && !value) {
            if (i + 1 >= args.size())
                return Fail(name + " needs a value");
            value = args[++i];
        } else if (!spec->takesValue && value) {
            return Fail(name + " takes no value");
        }
        if (!spec->set(o, value.value_or(std::string())))
            return Fail("invalid value '" + *value + "' for " + name);
    }

    if (o.comNumber == 0)
        return Fail("--com N (1 to 22) is required");
    if (o.variant != "page")
        return Fail("unknown variant '" + o.variant
                    + "': only 'page' is available; later variants add their devices behind --variant");
    if (o.faults.readyAfterWrongByte && !o.faults.readyByte)
        return Fail("--ready-after-wrong needs --ready-byte");
    result.outcome = DevsimCommandLine::Outcome::Run;
    return result;
}

std::string DevsimUsage()
{
    return R"(Usage: tvqx-devsim --com N [options]

A virtual Tollvane QX-R on a pseudo-terminal. It appears as serial port COMN
(an entry in the port directory, $XDG_CONFIG_HOME/Ostrale Systems/ports/, by
default ~/.config/Ostrale Systems/ports/) for as long as it runs, so that the
update program can update it like a unit on a real serial line.

A pseudo-terminal has no DTR or RTS: the device is powered while a program
has the port open, and powered down when the program closes it. It answers
only at its own line speed, 9600 baud; at any other speed both directions
turn to garbage, as on a real line. Its flash (65536 bytes, erased to 0xFF)
is kept across power cycles.

General:
  --com N               appear as COMN, N from 1 to 22 (required)
  --updates K           end after K completed updates (end marker received,
                        then the port closed); default: run until stopped
  --fast                no line pacing: bytes reach the device as soon as they
                        are read and answers go out as soon as they are due
                        (by default both directions take as long as on a real
                        line: 10 bits per byte at the line speed)
  --flash-out FILE      after every completed update, and at the power-off
                        after it, write the 65536-byte flash to FILE
  --variant NAME        the device's boot loader; only 'page' (the default)
  --quiet               no trace line for pages that were taken and answered
                        '!' (resends and other answers are still shown)
  --help                this text

Faults (all off by default: a healthy boot loader):
  --no-answer           ignore the entry command (no version, no ready byte)
  --version TEXT        answer TEXT instead of TVQXR-1-4.00 (then CR)
  --version-pieces N:MS[,N:MS...]
                        send the version answer in pieces: N bytes after a
                        pause of MS milliseconds each; the rest follows at once
  --no-ready            send no ready byte after the version
  --ready-byte HEX      send this byte instead of '!' (21) as the ready byte
  --ready-after-wrong   follow the wrong ready byte with '!'
  --ready-delay MS      pause between the version answer and the ready byte
  --resend PAGE:COUNT   answer page PAGE with '@' COUNT times before taking it
                        (repeatable)
  --page-answer PAGE:HEX
                        write page PAGE but answer it with HEX instead of '!'
                        (repeatable)
  --hang-at-page P      hang when page P arrives: no answer, nothing written
  --response-delay MS   answer everything MS milliseconds late
  --end-answer HEX      the byte sent after the end marker (default 21, '!')
  --silent-after-end    send nothing after the end marker
  --noise-at MS:HEX     put the bytes HEX (e.g. 0D0A) on the line MS
                        milliseconds after start, whatever the device does
                        (repeatable)
  --noise-before-answer N:HEX
                        put the bytes HEX on the line just before answer N
                        (0 the version, 1 the ready byte, 2 the first page's
                        answer, ...) (repeatable)

Options taking a value accept --name VALUE and --name=VALUE. HEX is one byte
in hex digits, with or without 0x.

Trace: one line per event on standard output, with the seconds since start.

Exit status: 0 after a signal (SIGINT, SIGTERM) or the last of --updates;
2 on a usage error or when COMN is taken; 1 on a runtime error.
)";
}

} // namespace tvqx::sim
