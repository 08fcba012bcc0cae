#pragma once
// The forms option values take on tvqx-devsim's command line. Each reader
// gives nothing for text that is not in its form.

#include "sim/DeviceLine.h"
#include "sim/RadioOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tvqx::sim {

// A decimal number from `min` to `max`, digits only.
std::optional<uint64_t> ParseDecimal(const std::string& text, uint64_t min, uint64_t max);

// Bytes as hex digits, two per byte, with or without 0x ("0D0A").
std::optional<std::vector<uint8_t>> ParseHexBytes(std::string text);
// Exactly one byte, where a single digit is taken too ("D" is 0D).
std::optional<uint8_t> ParseHexByte(std::string text);

// C escapes as a shell cannot type them: \r \n \t \\ and \xHH.
std::optional<std::string> Unescape(const std::string& text);

// N:MS[,N:MS...]: pieces of N bytes, each after a pause of MS milliseconds.
std::optional<std::vector<AnswerPiece>> ParsePieces(const std::string& text);

// PARAM=KIND: the radio answer frame to bend, and how.
std::optional<std::pair<std::string, AnswerFault>> ParseAnswerFault(const std::string& text);

// A:B, each side in the form its reader takes.
template <class ReadFirst, class ReadSecond>
auto ParsePair(const std::string& text, ReadFirst first, ReadSecond second)
    -> std::optional<std::pair<typename decltype(first(text))::value_type, typename decltype(second(text))::value_type>>
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const auto a = first(text.substr(0, colon));
    const auto b = second(text.substr(colon + 1));
    if (!a || !b)
        return std::nullopt;
    return std::pair{*a, *b};
}

} // namespace tvqx::sim
