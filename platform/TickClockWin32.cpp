#include "platform/TickClock.h"

#include "platform/Win32Api.h"

#include <mmsystem.h>

#include <mutex>

namespace tvqx {

namespace {

// The system's sleeps last a whole scheduler period (often 15.6 ms) unless
// the process asks for a finer one; a busy wait that rests between polls must
// not notice an answer that much later. The system drops the request when the
// process ends.
void AskForMillisecondSleeps()
{
    static std::once_flag once;
    std::call_once(once, [] { ::timeBeginPeriod(1); });
}

} // namespace

uint32_t RealTickClock::GetTickCount()
{
    return ::GetTickCount();
}

void RealTickClock::Idle()
{
    AskForMillisecondSleeps();
    ::Sleep(1);
}

void RealTickClock::Sleep(uint32_t ms)
{
    ::Sleep(ms);
}

namespace {

// GetTickCount moves on in steps of the system's clock interrupt (up to
// 15.6 ms, whatever period the process asked for), so a reading may lag the
// real time by that much. A sleep measured from a reading therefore leaves
// this much of the pause to rests of a millisecond, which notice the tick's
// step as they always did.
constexpr uint32_t kTickStepMs = 17;

} // namespace

void RealTickClock::IdleUntil(uint32_t start, uint32_t ms)
{
    AskForMillisecondSleeps();
    for (uint32_t elapsed; (elapsed = GetTickCount() - start) < ms;) {
        if (ms - elapsed > kTickStepMs)
            ::Sleep(ms - elapsed - kTickStepMs);
        else
            Idle();
    }
}

uint64_t RealTickClock::MicrosecondsUntil(uint32_t start, uint32_t ms)
{
    return TickClock::MicrosecondsUntil(start, ms);   // no finer reading to go by
}

} // namespace tvqx
