#include "update/DeviceWaits.h"

#include <array>
#include <cstring>

namespace tvqx {

namespace {

constexpr uint8_t kCR = 0x0D;
constexpr size_t kVersionLength = 12;
// The answer is collected into a buffer of this size; one that runs on
// without its CR is refused once it would overflow.
constexpr size_t kVersionBufferSize = 100;

} // namespace

DeviceByte WaitForByte(CRS232& port, TickClock& clock, uint32_t limitMs)
{
    const uint32_t start = clock.GetTickCount();
    for (;;) {
        if (clock.GetTickCount() - start >= limitMs)
            return {DeviceByte::Outcome::TimedOut, 0};
        if (port.BytesWaiting() != 0)
            break;
        port.RestUntilInput(start, limitMs);
    }
    uint8_t byte = 0;
    if (port.Read(&byte, 1) != 1)
        return {DeviceByte::Outcome::ReadFailed, 0};
    return {DeviceByte::Outcome::Byte, byte};
}

VersionAnswer ReadVersionAnswer(CRS232& port, TickClock& clock, uint32_t limitMs)
{
    std::array<char, kVersionBufferSize> answer{};
    size_t length = 0;
    const uint32_t start = clock.GetTickCount();
    for (;;) {
        if (clock.GetTickCount() - start >= limitMs)
            return {VersionAnswer::Outcome::NoAnswer, {}};
        if (port.BytesWaiting() == 0) {
            port.RestUntilInput(start, limitMs);
            continue;
        }
        uint8_t byte = 0;
        if (port.Read(&byte, 1) != 1)
            return {VersionAnswer::Outcome::Invalid, {}};
        if (byte == kCR) {
            if (length == kVersionLength && std::memcmp(answer.data(), kBootVersion, kVersionLength) == 0)
                return {VersionAnswer::Outcome::Accepted, std::string(answer.data(), length)};
            return {VersionAnswer::Outcome::Invalid, {}};
        }
        if (length == answer.size())
            return {VersionAnswer::Outcome::Invalid, {}};
        answer[length++] = static_cast<char>(byte);
    }
}

bool WaitForExactAnswer(CRS232& port, TickClock& clock, std::span<const char* const> answers, uint32_t limitMs)
{
    std::array<char, kAnswerBufferSize> answer{};
    size_t count = 0;
    const uint32_t start = clock.GetTickCount();
    while (clock.GetTickCount() - start < limitMs) {
        if (port.BytesWaiting() == 0) {
            port.RestUntilInput(start, limitMs);
            continue;
        }
        char byte = 0;
        if (port.Read(&byte, 1) != 1) {
            // Counted but not delivered: rest rather than spin on it.
            clock.Idle();
            continue;
        }
        if (count == answer.size())
            continue;
        answer[count++] = byte;
        for (const char* accepted : answers)
            if (std::strlen(accepted) == count && std::memcmp(answer.data(), accepted, count) == 0)
                return true;
    }
    return false;
}

} // namespace tvqx
