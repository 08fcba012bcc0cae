#include "sim/DeviceLine.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace tvqx::sim {

uint8_t GarbledByte(uint8_t value)
{
    return (value & 1) ? 0xFE : 0x00;
}

DeviceLine::DeviceLine(uint32_t baud, const std::vector<TimedNoise>& noiseAt) : m_baud(baud)
{
    for (const TimedNoise& noise : noiseAt)
        for (uint8_t b : noise.bytes)
            m_lineNoise.push_back({noise.atMs, b});
    std::stable_sort(m_lineNoise.begin(), m_lineNoise.end(),
                     [](const Outgoing& a, const Outgoing& b) { return a.dueMs < b.dueMs; });
}

bool DeviceLine::SetPower(bool on, uint64_t nowMs)
{
    if (on == m_powered)
        return false;
    m_powered = on;
    m_powerEvents.push_back({nowMs, on});
    m_out.clear();
    m_answersGiven = 0;
    return true;
}

void DeviceLine::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    m_speedMatches = baud == m_baud;
    m_speedHistory[nowMs] = m_speedMatches;
}

bool DeviceLine::SpeedMatchedAt(uint64_t timeMs) const
{
    auto it = m_speedHistory.upper_bound(timeMs);
    return it == m_speedHistory.begin() || std::prev(it)->second;
}

bool DeviceLine::Hear(uint8_t value, uint64_t nowMs)
{
    m_received.push_back({nowMs, value});
    return m_powered && m_speedMatches;
}

void DeviceLine::SetNoiseBeforeAnswer(std::map<size_t, std::vector<uint8_t>> noise)
{
    m_noiseBeforeAnswer = std::move(noise);
}

void DeviceLine::BeginAnswer(uint64_t dueMs)
{
    const auto noise = m_noiseBeforeAnswer.find(m_answersGiven);
    if (noise != m_noiseBeforeAnswer.end())
        for (uint8_t b : noise->second)
            Queue(b, dueMs);
    ++m_answersGiven;
}

uint64_t DeviceLine::Answer(const std::vector<uint8_t>& bytes, uint64_t dueMs)
{
    BeginAnswer(dueMs);
    for (uint8_t b : bytes)
        Queue(b, dueMs);
    return m_lastDueMs;
}

uint64_t DeviceLine::AnswerInPieces(const std::vector<uint8_t>& bytes, const std::vector<AnswerPiece>& pieces,
                                    uint64_t dueMs)
{
    if (pieces.empty())
        return Answer(bytes, dueMs);
    BeginAnswer(dueMs);
    size_t offset = 0;
    for (const AnswerPiece& piece : pieces) {
        dueMs += piece.delayMs;
        for (size_t i = 0; i < piece.byteCount && offset < bytes.size(); ++i)
            Queue(bytes[offset++], dueMs);
    }
    while (offset < bytes.size())
        Queue(bytes[offset++], dueMs);
    return m_lastDueMs;
}

void DeviceLine::Queue(uint8_t value, uint64_t dueMs)
{
    // One transmitter: a byte never overtakes one queued before it.
    if (!m_out.empty())
        dueMs = std::max(dueMs, m_lastDueMs);
    m_lastDueMs = dueMs;
    m_out.push_back({dueMs, value});
}

void DeviceLine::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    for (;;) {
        const bool deviceDue = !m_out.empty() && m_out.front().dueMs <= nowMs;
        const bool noiseDue = !m_lineNoise.empty() && m_lineNoise.front().dueMs <= nowMs;
        if (!deviceDue && !noiseDue)
            return;
        std::deque<Outgoing>& from =
            deviceDue && (!noiseDue || m_out.front().dueMs <= m_lineNoise.front().dueMs) ? m_out
                                                                                         : m_lineNoise;
        const Outgoing byte = from.front();
        from.pop_front();
        out.push_back(&from == &m_out && !SpeedMatchedAt(byte.dueMs) ? GarbledByte(byte.value) : byte.value);
    }
}

void CommandWindow::Push(uint8_t value)
{
    m_bytes.push_back(static_cast<char>(value));
    if (m_bytes.size() > m_length)
        m_bytes.erase(0, m_bytes.size() - m_length);
}

bool CommandWindow::EndsWith(std::string_view command) const
{
    return m_bytes.size() >= command.size()
        && std::string_view(m_bytes).substr(m_bytes.size() - command.size()) == command;
}

} // namespace tvqx::sim
