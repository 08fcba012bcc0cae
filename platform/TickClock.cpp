#include "platform/TickClock.h"

#include <chrono>
#include <thread>

namespace tvqx {

uint32_t RealTickClock::GetTickCount()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void RealTickClock::Idle()
{
    // Short enough that no time-out or pause overshoots by more than about
    // a millisecond; long enough that a waiting run does not spin a core.
    std::this_thread::sleep_for(std::chrono::microseconds(500));
}

void RealTickClock::Sleep(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

size_t VirtualTickClock::Advance(uint64_t ms)
{
    const uint64_t target = m_now + ms;
    size_t ran = 0;
    for (;;) {
        auto it = m_actions.begin();
        if (it == m_actions.end() || it->first > target)
            break;
        if (it->first > m_now)
            m_now = it->first;
        auto action = std::move(it->second);
        m_actions.erase(it);
        action();
        ++ran;
    }
    // An action may itself have waited (a click that runs an update), so time
    // may already be past the target; it never runs backwards.
    if (m_now < target)
        m_now = target;
    return ran;
}

void VirtualTickClock::At(uint64_t atMs, std::function<void()> action)
{
    m_actions.emplace(atMs, std::move(action));
}

uint64_t VirtualTickClock::NextActionTime() const
{
    return m_actions.empty() ? UINT64_MAX : m_actions.begin()->first;
}

} // namespace tvqx
