#include "sim/pty/LinePacer.h"

#include <algorithm>

namespace tvqx::sim {

uint64_t ByteTimeNs(uint32_t baud)
{
    if (baud == 0)
        baud = 9600;
    return 10ull * 1000000000ull / baud;
}

namespace {

// Appends bytes to a direction of the line: each starts when both it has
// been handed over and the previous byte is out, and counts as there when
// its last bit is.
void Schedule(std::deque<TimedLineByte>& queue, uint64_t& freeNs, bool paced, const uint8_t* data,
              size_t count, uint64_t nowNs, uint32_t baud)
{
    const uint64_t byteNs = ByteTimeNs(baud);
    for (size_t i = 0; i < count; ++i) {
        uint64_t at = nowNs;
        if (paced) {
            at = std::max(nowNs, freeNs) + byteNs;
            freeNs = at;
        }
        queue.push_back({at, data[i]});
    }
}

} // namespace

void LinePacer::FromProgram(const uint8_t* data, size_t count, uint64_t nowNs, uint32_t baud)
{
    Schedule(m_toDevice, m_toDeviceFreeNs, m_paced, data, count, nowNs, baud);
}

void LinePacer::TakeArrived(uint64_t nowNs, std::vector<TimedLineByte>& out)
{
    while (!m_toDevice.empty() && m_toDevice.front().timeNs <= nowNs) {
        out.push_back(m_toDevice.front());
        m_toDevice.pop_front();
    }
}

void LinePacer::TakeAll(std::vector<TimedLineByte>& out)
{
    out.insert(out.end(), m_toDevice.begin(), m_toDevice.end());
    m_toDevice.clear();
}

void LinePacer::FromDevice(const uint8_t* data, size_t count, uint64_t nowNs, uint32_t baud)
{
    Schedule(m_toProgram, m_toProgramFreeNs, m_paced, data, count, nowNs, baud);
}

void LinePacer::TakeDue(uint64_t nowNs, std::vector<uint8_t>& out)
{
    while (!m_toProgram.empty() && m_toProgram.front().timeNs <= nowNs) {
        out.push_back(m_toProgram.front().value);
        m_toProgram.pop_front();
    }
}

void LinePacer::PutBack(const uint8_t* data, size_t count, uint64_t nowNs)
{
    for (size_t i = count; i > 0; --i)
        m_toProgram.push_front({nowNs, data[i - 1]});
}

std::optional<uint64_t> LinePacer::NextDueNs() const
{
    std::optional<uint64_t> next;
    if (!m_toDevice.empty())
        next = m_toDevice.front().timeNs;
    if (!m_toProgram.empty())
        next = std::min(next.value_or(m_toProgram.front().timeNs), m_toProgram.front().timeNs);
    return next;
}

std::optional<uint64_t> LinePacer::NextToProgramNs() const
{
    if (m_toProgram.empty())
        return std::nullopt;
    return m_toProgram.front().timeNs;
}

std::optional<uint64_t> LinePacer::NextLookNs() const
{
    constexpr uint64_t kNsPerMs = 1000000;
    std::optional<uint64_t> next = NextToProgramNs();
    if (!m_toDevice.empty()) {
        const uint64_t first = m_toDevice.front().timeNs;
        const uint64_t device = std::min(m_toDevice.back().timeNs, first - first % kNsPerMs + kNsPerMs);
        next = std::min(next.value_or(device), device);
    }
    return next;
}

void LinePacer::Reset()
{
    m_toDevice.clear();
    m_toProgram.clear();
    m_toDeviceFreeNs = 0;
    m_toProgramFreeNs = 0;
}

} // namespace tvqx::sim
