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

// Rests here ask nothing of the system that would have to be given back.
RealTickClock::~RealTickClock() = default;

void RealTickClock::EndOfRests()
{
}

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

namespace {

// The moment GetTickCount() - start >= ms first holds, in MonotonicNs()
// terms, seen from `nowNs`; 0 when it holds already.
uint64_t DueNs(uint64_t nowNs, uint32_t start, uint32_t ms)
{
    const uint64_t nowMs = nowNs / 1'000'000u;
    const uint32_t elapsed = static_cast<uint32_t>(nowMs) - start;
    return elapsed >= ms ? 0 : (nowMs + (ms - elapsed)) * 1'000'000u;
}

} // namespace

void RealTickClock::IdleUntil(uint32_t start, uint32_t ms)
{
    // One sleep to the tick itself, where the loop of Idle() would have ended.
    for (uint64_t due; (due = DueNs(MonotonicNs(), start, ms)) != 0;)
        SleepUntilNs(due);
}

uint64_t RealTickClock::MicrosecondsUntil(uint32_t start, uint32_t ms)
{
    const uint64_t now = MonotonicNs();
    const uint64_t due = DueNs(now, start, ms);
    // Rounded up, so that the wait ends on the tick and not just before it.
    return due == 0 ? 0 : (due - now + 999u) / 1000u;
}

} // namespace tvqx
