#pragma once
// The millisecond tick counter every wait and time-out reads.
//
// All waits in the program are polling loops: "read the tick, poll, rest a
// little, read the tick again". The clock is injected so that tests run on
// virtual time, where a 3000 ms time-out costs no real time and every pause on
// the line can be checked to the millisecond.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>

namespace tvqx {

class TickClock {
public:
    virtual ~TickClock() = default;
    // Milliseconds since an arbitrary start; callers only ever take unsigned
    // 32-bit differences of two readings, so the wrap does no harm.
    virtual uint32_t GetTickCount() = 0;
    // Called between two polls of a busy wait. A real clock lets the processor
    // rest for at most about a millisecond; a virtual clock moves time on.
    virtual void Idle() = 0;
    // A plain sleep (the port handover pause): no polling, no messages.
    virtual void Sleep(uint32_t ms) = 0;
};

// Busy wait of `ms` milliseconds on `clock`, processing nothing else.
inline void SpinFor(TickClock& clock, uint32_t ms)
{
    if (ms == 0)
        return;
    const uint32_t start = clock.GetTickCount();
    while (clock.GetTickCount() - start < ms)
        clock.Idle();
}

// The machine's monotonic clock.
class RealTickClock final : public TickClock {
public:
    uint32_t GetTickCount() override;
    void Idle() override;   // rests until the tick next changes
    void Sleep(uint32_t ms) override;
};

// Virtual time for tests and the in-process simulator. Time only moves when
// somebody idles or sleeps; each Idle() is one millisecond. Actions can be
// scheduled at a virtual time ("the user clicks Refresh at t = 2000").
class VirtualTickClock final : public TickClock {
public:
    explicit VirtualTickClock(uint64_t startMs = 0) : m_now(startMs) {}

    uint32_t GetTickCount() override { return static_cast<uint32_t>(m_now); }
    void Idle() override { Advance(1); }
    void Sleep(uint32_t ms) override { Advance(ms); }

    uint64_t Now() const { return m_now; }
    // Moves time on by `ms`, running scheduled actions at their times;
    // returns how many ran.
    size_t Advance(uint64_t ms);
    // Runs `action` once time reaches `atMs` (at once if it already has,
    // on the next Advance).
    void At(uint64_t atMs, std::function<void()> action);
    bool HasPendingActions() const { return !m_actions.empty(); }
    uint64_t NextActionTime() const;

private:
    uint64_t m_now;
    std::multimap<uint64_t, std::function<void()>> m_actions;
};

} // namespace tvqx
