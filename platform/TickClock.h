#pragma once
// The millisecond tick counter every wait and time-out reads.
//
// All waits in the program are loops: "read the tick, look, rest, read the
// tick again". The clock is injected so that tests run on virtual time, where
// a 3000 ms time-out costs no real time and every pause on the line can be
// checked to the millisecond. A real clock rests for as long as nothing can
// change: a pause sleeps through, a wait for input rests on the port until a
// byte comes or the time-out falls due.

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

    // Returns once GetTickCount() - start >= ms, on the tick where that first
    // holds, as a loop of Idle() would; this is that loop. A real clock
    // sleeps through instead.
    virtual void IdleUntil(uint32_t start, uint32_t ms)
    {
        while (GetTickCount() - start < ms)
            Idle();
    }
    // Microseconds from now until GetTickCount() - start >= ms first holds (0
    // when it does already): how long a wait on something else, a port, may
    // rest before the time-out it serves falls due. A whole tick counts as
    // 1000 unless the clock knows where in the tick it is.
    virtual uint64_t MicrosecondsUntil(uint32_t start, uint32_t ms)
    {
        const uint32_t elapsed = GetTickCount() - start;
        return elapsed >= ms ? 0 : uint64_t{ms - elapsed} * 1000u;
    }
};

// A pause of `ms` milliseconds on `clock` that processes nothing else. On
// virtual time it moves on tick by tick, as a busy wait does.
inline void SpinFor(TickClock& clock, uint32_t ms)
{
    if (ms == 0)
        return;
    clock.IdleUntil(clock.GetTickCount(), ms);
}

// The machine's monotonic clock.
class RealTickClock final : public TickClock {
public:
    RealTickClock() = default;
    ~RealTickClock() override;   // gives back what its rests asked of the system
    RealTickClock(const RealTickClock&) = delete;
    RealTickClock& operator=(const RealTickClock&) = delete;

    uint32_t GetTickCount() override;
    void Idle() override;   // rests until the tick next changes
    void Sleep(uint32_t ms) override;
    void IdleUntil(uint32_t start, uint32_t ms) override;
    uint64_t MicrosecondsUntil(uint32_t start, uint32_t ms) override;
    // The waits of a run are over: whatever the rests asked of the system
    // goes back until the next rest asks again.
    void EndOfRests();

private:
    bool m_fineSleeps = false;   // Windows: this clock holds a 1 ms sleep period
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
