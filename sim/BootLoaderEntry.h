#pragma once
// How every boot loader of the unit is entered and how it names itself,
// whichever way it then takes the firmware (pages or HEX rows).

#include "sim/DeviceLine.h"
#include "sim/TraceSink.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::sim {

inline constexpr char kBootEntryCommand[] = "~#&TV-QX-R-205-7.31";
// The version is 12 characters; its answer ends with a CR.
inline constexpr char kBootVersion[] = "TVQXR-1-4.00";
inline constexpr uint8_t kBootVersionEnd = 0x0D;

// Both boot loaders' faults shape the version answer alike: `versionText`,
// `versionPieces`, `responseDelayMs`.

// Queues the version answer to an entry command heard at `nowMs`; returns
// when its last byte is due.
template <typename Faults>
uint64_t AnswerVersion(DeviceLine& line, const Faults& faults, uint64_t nowMs)
{
    const std::string text = faults.versionText.value_or(kBootVersion);
    std::vector<uint8_t> version(text.begin(), text.end());
    version.push_back(kBootVersionEnd);
    return line.AnswerInPieces(version, faults.versionPieces, nowMs + faults.responseDelayMs);
}

// The trace's words for that answer.
template <typename Faults>
std::string VersionAnswerLine(const Faults& faults)
{
    std::string line = "version answered: " + ShowText(faults.versionText.value_or(kBootVersion) + "\r");
    if (!faults.versionPieces.empty())
        line += " in " + std::to_string(faults.versionPieces.size()) + " pieces";
    if (faults.responseDelayMs)
        line += ", " + std::to_string(faults.responseDelayMs) + " ms late";
    return line;
}

} // namespace tvqx::sim
