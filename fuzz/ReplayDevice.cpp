#include "fuzz/ReplayDevice.h"

#include "fuzz/FuzzSupport.h"

#include <algorithm>

namespace tvqx::fuzz {

ReplayDevice::ReplayDevice(const uint8_t* script, size_t size, uint8_t dsrPattern, uint64_t hangAfterMs)
    : m_script(script), m_size(size), m_dsrPattern(dsrPattern), m_hangAfterMs(hangAfterMs)
{
}

void ReplayDevice::SetPower(bool dtr, bool rts, uint64_t nowMs)
{
    const bool powered = dtr && rts;
    if (powered && !m_powered)
        Cue(nowMs);
    m_powered = powered;
}

void ReplayDevice::Receive(const uint8_t*, size_t count, uint64_t nowMs)
{
    (void)nowMs;
    m_heard += count;
    m_wroteSinceCue = true;
}

void ReplayDevice::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    // Every wait of the update ends by its own time-out; a run that goes on
    // reading for longer than all of them together has hung.
    FUZZ_CHECK(nowMs < m_hangAfterMs);
    if (m_wroteSinceCue) {
        m_wroteSinceCue = false;
        Cue(nowMs);
    }
    while (!m_due.empty() && m_due.front().atMs <= nowMs) {
        out.insert(out.end(), m_due.front().bytes.begin(), m_due.front().bytes.end());
        m_due.pop_front();
        ++m_answersGiven;
    }
}

bool ReplayDevice::DsrAt(uint64_t nowMs) const
{
    size_t given = m_answersGiven;
    for (const Answer& answer : m_due)
        given += answer.atMs <= nowMs ? 1 : 0;
    return DsrAfter(given);
}

void ReplayDevice::Cue(uint64_t nowMs)
{
    uint64_t at = nowMs;
    bool chained = true;
    while (chained && m_next < m_size) {
        const uint8_t control = m_script[m_next++];
        const size_t count = std::min<size_t>(control & 0x0F, m_size - m_next);
        chained = (control & 0x10) != 0;
        // A line carries one answer after the other, never two at once.
        at = std::max(at + kDelaysMs[control >> 5], m_lastAnswerMs);
        m_lastAnswerMs = at;
        m_due.push_back({at, std::vector<uint8_t>(m_script + m_next, m_script + m_next + count)});
        m_next += count;
    }
}

} // namespace tvqx::fuzz
