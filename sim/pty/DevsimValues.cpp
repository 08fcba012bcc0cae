#include "sim/pty/DevsimValues.h"

#include <cctype>

namespace tvqx::sim {

namespace {

int HexDigit(char c)
{
    if (std::isdigit(static_cast<unsigned char>(c)))
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

std::optional<uint64_t> ParseDecimal(const std::string& text, uint64_t min, uint64_t max)
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
    if (value < min)
        return std::nullopt;
    return value;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    if (text.empty() || text.size() % 2 != 0)
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

std::optional<uint8_t> ParseHexByte(std::string text)
{
    if (text.size() == 1)
        text.insert(text.begin(), '0');
    const auto bytes = ParseHexBytes(text);
    if (!bytes || bytes->size() != 1)
        return std::nullopt;
    return bytes->front();
}

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
            const int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
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

std::optional<std::vector<AnswerPiece>> ParsePieces(const std::string& text)
{
    const auto count = [](const std::string& t) { return ParseDecimal(t, 0, 1000); };
    const auto ms = [](const std::string& t) { return ParseDecimal(t, 0, UINT32_MAX); };
    std::vector<AnswerPiece> pieces;
    for (size_t start = 0;;) {
        const size_t comma = text.find(',', start);
        const auto piece = ParsePair(text.substr(start, comma - start), count, ms);
        if (!piece)
            return std::nullopt;
        pieces.push_back({static_cast<size_t>(piece->first), static_cast<uint32_t>(piece->second)});
        if (comma == std::string::npos)
            return pieces;
        start = comma + 1;
    }
}

std::optional<std::pair<std::string, AnswerFault>> ParseAnswerFault(const std::string& text)
{
    static const std::pair<const char*, AnswerFault> kKinds[] = {
        {"missing", AnswerFault::Missing},       {"short", AnswerFault::Short},
        {"wrong-type", AnswerFault::WrongType},  {"bad-status", AnswerFault::BadStatus},
        {"wrong-letters", AnswerFault::WrongLetters}};
    // The gateway's own parameters, then the remote unit's.
    static const char* const kParameters[] = {"CH", "ID", "SH", "SL", "DH", "DL", "rDH", "rDL"};
    const size_t eq = text.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    const std::string parameter = text.substr(0, eq);
    for (const char* known : kParameters)
        for (const auto& [name, fault] : kKinds)
            if (parameter == known && text.substr(eq + 1) == name)
                return std::pair{parameter, fault};
    return std::nullopt;
}

} // namespace tvqx::sim
