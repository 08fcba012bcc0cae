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

} // namespace tvqx
