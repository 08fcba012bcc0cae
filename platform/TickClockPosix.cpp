#include "platform/TickClock.h"

#include <cerrno>
#include <ctime>

namespace tvqx {

namespace {

uint64_t MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(ts.tv_nsec);
}

void SleepUntilNs(uint64_t ns)
{
    timespec until{};
    until.tv_sec = static_cast<time_t>(ns / 1'000'000'000u);
    until.tv_nsec = static_cast<long>(ns % 1'000'000'000u);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

} // namespace

uint32_t RealTickClock::GetTickCount()
{
    return static_cast<uint32_t>(MonotonicNs() / 1'000'000u);
}

void RealTickClock::Idle()
{
    // The tick only changes on a millisecond boundary, so a time-out can only
    // be reached there: rest until the next one. A wait thus ends within a
    // few tens of microseconds of its tick, bytes are noticed within a
    // millisecond, and a waiting run wakes a thousand times a second at most.
    SleepUntilNs((MonotonicNs() / 1'000'000u + 1) * 1'000'000u);
}

void RealTickClock::Sleep(uint32_t ms)
{
    SleepUntilNs(MonotonicNs() + uint64_t{ms} * 1'000'000u);
}

} // namespace tvqx
