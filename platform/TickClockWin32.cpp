#include "platform/TickClock.h"

#include "platform/Win32SystemLibrary.h"

#include "platform/Win32Api.h"

namespace tvqx {

namespace {

// The system's sleeps last a whole scheduler period (often 15.6 ms) unless
// the process asks for a finer one; a busy wait that rests between polls must
// not notice an answer that much later. The finer period costs the whole
// machine power while it is held, so each clock holds it only while its
// waits go on (the requests are counted and given back one by one).
//
// The multimedia library is not among the libraries the system always takes
// from its own directory; linked to the program, a copy beside it would be
// loaded instead. It is therefore loaded here, from the system directory.
using PeriodCall = UINT(WINAPI*)(UINT);

struct PeriodCalls {
    PeriodCall begin = nullptr;
    PeriodCall end = nullptr;
};

const PeriodCalls& SleepPeriod()
{
    // Kept loaded for the life of the process.
    static const PeriodCalls calls = [] {
        PeriodCalls c;
        if (const HMODULE winmm = LoadSystemLibrary(L"winmm.dll")) {
            c.begin = FunctionOf<PeriodCall>(winmm, "timeBeginPeriod");
            c.end = FunctionOf<PeriodCall>(winmm, "timeEndPeriod");
        }
        return c;
    }();
    return calls;
}

constexpr UINT kFinePeriodMs = 1;
constexpr UINT kPeriodGranted = 0;   // TIMERR_NOERROR

void AskForMillisecondSleeps(bool& held)
{
    if (held)
        return;
    const PeriodCalls& calls = SleepPeriod();
    held = calls.begin && calls.end && calls.begin(kFinePeriodMs) == kPeriodGranted;
}

} // namespace

RealTickClock::~RealTickClock()
{
    EndOfRests();
}

void RealTickClock::EndOfRests()
{
    if (m_fineSleeps)
        SleepPeriod().end(kFinePeriodMs);
    m_fineSleeps = false;
}

uint32_t RealTickClock::GetTickCount()
{
    return ::GetTickCount();
}

void RealTickClock::Idle()
{
    AskForMillisecondSleeps(m_fineSleeps);
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
    AskForMillisecondSleeps(m_fineSleeps);
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
