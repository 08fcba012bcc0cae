#include "platform/TickClock.h"

// Virtual time; the real clocks live with their systems.

namespace tvqx {

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
