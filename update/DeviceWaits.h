#pragma once
// The waits every update procedure builds on: the next byte from the device
// within a limit, and the boot loader's version answer. Both look at the port
// on the tick counter, rest on the port between looks until a byte comes or
// the limit falls due, and process no window messages.

#include "platform/TickClock.h"
#include "serial/CRS232.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tvqx {

struct DeviceByte {
    enum class Outcome { Byte, TimedOut, ReadFailed };
    Outcome outcome = Outcome::TimedOut;
    uint8_t value = 0;

    bool Is(uint8_t expected) const { return outcome == Outcome::Byte && value == expected; }
    bool TimedOut() const { return outcome == Outcome::TimedOut; }
};

// The next byte, if one arrives before `limitMs` have passed. The limit is
// looked at before the port, so a byte arriving exactly at the limit is late.
// A read that delivers nothing although a byte was counted is ReadFailed.
DeviceByte WaitForByte(CRS232& port, TickClock& clock, uint32_t limitMs);

struct VersionAnswer {
    enum class Outcome { Accepted, NoAnswer, Invalid };
    Outcome outcome = Outcome::NoAnswer;
    std::string text;   // the accepted version
};

// The boot loader's version: exactly the expected twelve characters, then a
// CR, all within `limitMs` (bytes do not renew the limit). A CR after
// anything else, a failed read, or an answer that runs on without a CR past
// what the buffer holds is Invalid at that moment.
VersionAnswer ReadVersionAnswer(CRS232& port, TickClock& clock, uint32_t limitMs);

// Whether one of `answers` arrives, exactly and from its first byte, within
// `limitMs`. The answer is kept in a buffer of kAnswerBufferSize bytes; bytes
// beyond it are read and dropped, so that an answer running on can no longer
// match and the wait runs into its limit.
inline constexpr size_t kAnswerBufferSize = 25;
bool WaitForExactAnswer(CRS232& port, TickClock& clock, std::span<const char* const> answers, uint32_t limitMs);

// The boot loader's entry command and version, the same for every procedure.
inline constexpr const char* kBootEntryCommand = "~#&TV-QX-R-205-7.31";
inline constexpr const char* kBootVersion = "TVQXR-1-4.00";
inline constexpr uint32_t kVersionTimeoutMs = 3000;

} // namespace tvqx
