#include "sim/pty/DevsimOptionTable.h"

#include <cctype>
#include <limits>
#include <optional>
#include <utility>

namespace tvqx::sim {

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

namespace {

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
constexpr uint64_t kMaxCount = 1000000;

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

bool SetBytes(std::vector<uint8_t>& field, const std::string& value)
{
    const auto bytes = ParseHex(value, false);
    if (bytes)
        field = *bytes;
    return bytes.has_value();
}

// A row as the program counts them, from 1; the unit counts from 0.
std::optional<size_t> ParseRow(const std::string& text)
{
    const auto row = ParseUnsigned(text, kMaxCount);
    if (!row || *row == 0)
        return std::nullopt;
    return static_cast<size_t>(*row - 1);
}

// ROW: what the unit sends in place of a flow-control character: nothing.
bool LeaveOut(std::map<size_t, std::vector<uint8_t>>& field, const std::string& value)
{
    const auto row = ParseRow(value);
    if (row)
        field[*row] = {};
    return row.has_value();
}

// ROW:HEX: the bytes sent in its place.
bool Replace(std::map<size_t, std::vector<uint8_t>>& field, const std::string& value)
{
    const auto pair = SplitPair(value);
    const auto row = pair ? ParseRow(pair->first) : std::nullopt;
    const auto bytes = pair ? ParseHex(pair->second, false) : std::nullopt;
    if (row && bytes)
        field[*row] = *bytes;
    return row && bytes;
}

bool Flag(bool& field)
{
    field = true;
    return true;
}

std::optional<std::vector<AnswerPiece>> ParsePieces(const std::string& v)
{
    std::vector<AnswerPiece> pieces;
    size_t start = 0;
    for (;;) {
        const size_t comma = v.find(',', start);
        const auto pair = SplitPair(v.substr(start, comma - start));
        const auto count = pair ? ParseUnsigned(pair->first, 1000) : std::nullopt;
        const auto ms = pair ? ParseUnsigned(pair->second, kMaxMs) : std::nullopt;
        if (!count || !ms)
            return std::nullopt;
        pieces.push_back({static_cast<size_t>(*count), static_cast<uint32_t>(*ms)});
        if (comma == std::string::npos)
            return pieces;
        start = comma + 1;
    }
}

using O = DevsimOptions;
using V = const std::string&;

std::vector<DevsimOptionSpec> GeneralSpecs()
{
    return {
        {"--com", true, kUnitsAll,
         [](O& o, V v) {
             const auto n = ParseUnsigned(v, 22);
             if (n && *n >= 1)
                 o.comNumber = static_cast<int>(*n);
             return n && *n >= 1;
         }},
        {"--updates", true, kUnitsAll,
         [](O& o, V v) {
             const auto n = ParseUnsigned(v, std::numeric_limits<unsigned>::max());
             if (n && *n >= 1)
                 o.updates = static_cast<unsigned>(*n);
             return n && *n >= 1;
         }},
        {"--fast", false, kUnitsAll, [](O& o, V) { return Flag(o.fast); }},
        {"--quiet", false, kUnitsAll, [](O& o, V) { return Flag(o.quiet); }},
        {"--flash-out", true, kUnitsAll,
         [](O& o, V v) {
             o.flashOut = v;
             return !v.empty();
         }},
        {"--variant", true, kUnitsAll,
         [](O& o, V v) {
             o.variant = VariantFromName(v);
             return o.variant != 0;
         }},
        {"--noise-at", true, kUnitsAll,
         [](O& o, V v) {
             const auto pair = SplitPair(v);
             const auto ms = pair ? ParseUnsigned(pair->first, kMaxMs) : std::nullopt;
             const auto bytes = pair ? ParseHex(pair->second, false) : std::nullopt;
             if (ms && bytes)
                 o.noise.push_back({*ms, *bytes});
             return ms && bytes;
         }},
    };
}

// Set on the page boot loader's faults; ShareBootLoaderFaults copies them.
std::vector<DevsimOptionSpec> BootLoaderSpecs()
{
    return {
        {"--no-answer", false, kUnitsAll, [](O& o, V) { return Flag(o.faults.pages.ignoreEntryCommand); }},
        {"--version", true, kUnitsAll,
         [](O& o, V v) {
             o.faults.pages.versionText = v;
             return true;
         }},
        {"--version-pieces", true, kUnitsAll,
         [](O& o, V v) {
             const auto pieces = ParsePieces(v);
             if (pieces)
                 o.faults.pages.versionPieces = *pieces;
             return pieces.has_value();
         }},
        {"--no-ready", false, kUnitsAll, [](O& o, V) { return Flag(o.faults.pages.omitReady); }},
        {"--ready-byte", true, kUnitsAll, [](O& o, V v) { return SetByte(o.faults.pages.readyByte, v); }},
        {"--ready-delay", true, kUnitsAll, [](O& o, V v) { return SetMs(o.faults.pages.readyDelayMs, v); }},
        {"--response-delay", true, kUnitsAll,
         [](O& o, V v) { return SetMs(o.faults.pages.responseDelayMs, v); }},
        {"--end-answer", true, kUnitsAll,
         [](O& o, V v) {
             std::optional<uint8_t> byte;
             if (SetByte(byte, v))
                 o.faults.pages.endMarkerAnswer = *byte;
             return byte.has_value();
         }},
        {"--silent-after-end", false, kUnitsAll,
         [](O& o, V) { return Flag(o.faults.pages.silentAfterEndMarker); }},
    };
}

std::vector<DevsimOptionSpec> PageSpecs()
{
    return {
        {"--ready-after-wrong", false, kUnitsPages,
         [](O& o, V) { return Flag(o.faults.pages.readyAfterWrongByte); }},
        {"--resend", true, kUnitsPages,
         [](O& o, V v) {
             const auto pair = SplitPair(v);
             const auto page = pair ? ParseUnsigned(pair->first, kMaxPage) : std::nullopt;
             const auto count = pair ? ParseUnsigned(pair->second, kMaxCount) : std::nullopt;
             if (page && count)
                 o.faults.pages.resendsForPage[static_cast<uint16_t>(*page)] = static_cast<unsigned>(*count);
             return page && count;
         }},
        {"--page-answer", true, kUnitsPages,
         [](O& o, V v) {
             const auto pair = SplitPair(v);
             const auto page = pair ? ParseUnsigned(pair->first, kMaxPage) : std::nullopt;
             const auto byte = pair ? ParseHex(pair->second, true) : std::nullopt;
             if (page && byte)
                 o.faults.pages.pageAnswerByte[static_cast<uint16_t>(*page)] = (*byte)[0];
             return page && byte;
         }},
        {"--hang-at-page", true, kUnitsPages,
         [](O& o, V v) {
             const auto page = ParseUnsigned(v, kMaxPage);
             if (page)
                 o.faults.pages.hangAtPage = static_cast<uint16_t>(*page);
             return page.has_value();
         }},
        {"--noise-before-answer", true, kUnitsPages,
         [](O& o, V v) {
             const auto pair = SplitPair(v);
             const auto n = pair ? ParseUnsigned(pair->first, kMaxCount) : std::nullopt;
             const auto bytes = pair ? ParseHex(pair->second, false) : std::nullopt;
             if (n && bytes)
                 o.faults.pages.noiseBeforeAnswer[static_cast<size_t>(*n)] = *bytes;
             return n && bytes;
         }},
    };
}

std::vector<DevsimOptionSpec> RowSpecs()
{
    return {
        {"--xon-delay", true, kUnitsRows, [](O& o, V v) { return SetMs(o.faults.rows.xonDelayMs, v); }},
        {"--row-write", true, kUnitsRows, [](O& o, V v) { return SetMs(o.faults.rows.rowWriteMs, v); }},
        {"--no-xon", true, kUnitsRows, [](O& o, V v) { return LeaveOut(o.faults.rows.xonFor, v); }},
        {"--wrong-xon", true, kUnitsRows, [](O& o, V v) { return Replace(o.faults.rows.xonFor, v); }},
        {"--no-xoff", true, kUnitsRows, [](O& o, V v) { return LeaveOut(o.faults.rows.xoffFor, v); }},
        {"--wrong-xoff", true, kUnitsRows, [](O& o, V v) { return Replace(o.faults.rows.xoffFor, v); }},
        {"--no-line-complete", true, kUnitsRows,
         [](O& o, V v) { return LeaveOut(o.faults.rows.lineCompleteFor, v); }},
        {"--wrong-line-complete", true, kUnitsRows,
         [](O& o, V v) { return Replace(o.faults.rows.lineCompleteFor, v); }},
        {"--at-storm", true, kUnitsRows,
         [](O& o, V v) {
             const auto pair = SplitPair(v);
             const auto row = pair ? ParseRow(pair->first) : std::nullopt;
             const auto count = pair ? ParseUnsigned(pair->second, 10000) : std::nullopt;
             if (row && count && *count >= 1)
                 o.faults.rows.xoffFor[*row] = std::vector<uint8_t>(*count, kRowFileComplete);
             return row && count && *count >= 1;
         }},
        {"--silent-at-row", true, kUnitsRows,
         [](O& o, V v) {
             const auto pair = SplitPair(v);
             const auto row = pair ? ParseRow(pair->first) : std::nullopt;
             const auto character = pair ? ParseRow(pair->second) : std::nullopt;
             if (row && character)
                 o.faults.rows.silentFrom = RowPosition{*row, *character};
             return row && character;
         }},
    };
}

std::vector<DevsimOptionSpec> FrontSpecs()
{
    return {
        {"--polls-before-wake", true, kUnitsWakeUp,
         [](O& o, V v) {
             const auto n = ParseUnsigned(v, kMaxCount);
             if (n && *n >= 1)
                 o.faults.wakeUp.pollsBeforeWake = static_cast<unsigned>(*n);
             return n && *n >= 1;
         }},
        {"--never-wake", false, kUnitsWakeUp, [](O& o, V) { return Flag(o.faults.wakeUp.neverWakes); }},
        {"--wake-delay", true, kUnitsWakeUp, [](O& o, V v) { return SetMs(o.faults.wakeUp.wakeDelayMs, v); }},
        {"--wake-noise", true, kUnitsWakeUp,
         [](O& o, V v) { return SetBytes(o.faults.wakeUp.noiseBeforeWake, v); }},
        {"--wake-noise-after", true, kUnitsWakeUp,
         [](O& o, V v) { return SetBytes(o.faults.wakeUp.noiseAfterWake, v); }},
        {"--poll-answer", true, kUnitsWakeUp, [](O& o, V v) { return SetBytes(o.faults.wakeUp.pollAnswer, v); }},
        {"--start-answer", true, kUnitPage256Start,
         [](O& o, V v) { return SetBytes(o.faults.wakeUp.startCommandAnswer, v); }},

        {"--in-application", false, kUnitRowApp, [](O& o, V) { return Flag(o.inApplication); }},
        {"--app-answer", true, kUnitApplication,
         [](O& o, V v) {
             o.faults.application.answerText = v;
             return true;
         }},
        {"--no-app-answer", false, kUnitApplication,
         [](O& o, V) { return Flag(o.faults.application.ignoreVersionRequest); }},
        {"--app-answer-delay", true, kUnitApplication,
         [](O& o, V v) { return SetMs(o.faults.application.answerDelayMs, v); }},
        {"--handover-delay", true, kUnitApplication,
         [](O& o, V v) { return SetMs(o.faults.application.handOverDelayMs, v); }},
        {"--dsr-never-drops", false, kUnitApplication,
         [](O& o, V) { return Flag(o.faults.application.dsrNeverDrops); }},
    };
}

} // namespace

unsigned UnitOf(int variant)
{
    switch (variant) {
    case 10: return kUnitPage;
    case 1: return kUnitRowWake;
    case 2: return kUnitRowApp;
    case 4: return kUnitPage256Wake;
    case 5: return kUnitPage256Start;
    case 3: return kUnitRadioRow;
    case 6: return kUnitRadioPage;
    default: return 0;
    }
}

const std::vector<DevsimOptionSpec>& DevsimOptionSpecs()
{
    static const std::vector<DevsimOptionSpec> specs = [] {
        std::vector<DevsimOptionSpec> all;
        for (auto group : {GeneralSpecs(), BootLoaderSpecs(), PageSpecs(), RowSpecs(), FrontSpecs(), RadioSpecs()})
            all.insert(all.end(), group.begin(), group.end());
        return all;
    }();
    return specs;
}

void ShareBootLoaderFaults(VariantDeviceFaults& faults, bool endAnswerGiven)
{
    const PageBootLoaderFaults& pages = faults.pages;
    RowBootLoaderFaults& rows = faults.rows;
    rows.ignoreEntryCommand = pages.ignoreEntryCommand;
    rows.versionText = pages.versionText;
    rows.versionPieces = pages.versionPieces;
    rows.omitReady = pages.omitReady;
    rows.readyByte = pages.readyByte;
    rows.readyDelayMs = pages.readyDelayMs;
    rows.responseDelayMs = pages.responseDelayMs;
    if (pages.silentAfterEndMarker)
        rows.fileCompleteAnswer = std::vector<uint8_t>{};
    else if (endAnswerGiven)
        rows.fileCompleteAnswer = std::vector<uint8_t>{pages.endMarkerAnswer};
}

} // namespace tvqx::sim
