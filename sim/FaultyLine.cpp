#include "sim/FaultyLine.h"

#include <utility>

namespace tvqx::sim {

bool AltersData(LineFaultKind kind)
{
    return kind == LineFaultKind::Drop || kind == LineFaultKind::Flip || kind == LineFaultKind::Insert;
}

FaultyLine::FaultyLine(SimDevice& inner, std::vector<LineFault> faults) : m_inner(inner)
{
    for (LineFault& fault : faults) {
        // A device cannot lose its supply on its own answer, and the port
        // cannot hold back what it has not been handed yet.
        if (fault.kind == LineFaultKind::PowerLoss)
            fault.direction = LineDirection::ToDevice;
        if (fault.kind == LineFaultKind::Late)
            fault.direction = LineDirection::ToProgram;
        FaultMap& map = fault.direction == LineDirection::ToDevice ? m_toDevice : m_toProgram;
        map.emplace(fault.atByte, fault);
    }
}

std::vector<LineFault> FaultyLine::Take(FaultMap& faults, size_t index)
{
    std::vector<LineFault> due;
    auto [first, last] = faults.equal_range(index);
    for (auto it = first; it != last; ++it) {
        due.push_back(it->second);
        m_fired.push_back(it->second);
    }
    faults.erase(first, last);
    return due;
}

void FaultyLine::SetPower(bool dtr, bool rts, uint64_t nowMs)
{
    // Once the cable is gone the port's lines reach nothing.
    if (!m_dead)
        m_inner.SetPower(dtr, rts, nowMs);
}

void FaultyLine::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    if (!m_dead)
        m_inner.SetLineSpeed(baud, nowMs);
}

void FaultyLine::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    m_written.insert(m_written.end(), data, data + count);
    for (size_t i = 0; i < count; ++i)
        ToDevice(data[i], nowMs);
}

void FaultyLine::ToDevice(uint8_t byte, uint64_t nowMs)
{
    const size_t index = m_sentCount++;
    if (m_dead)
        return;
    bool drop = m_deaf;
    for (const LineFault& fault : Take(m_toDevice, index)) {
        switch (fault.kind) {
        case LineFaultKind::Drop: drop = true; break;
        case LineFaultKind::Flip: byte ^= fault.value; break;
        case LineFaultKind::Insert:
            if (!drop)
                m_inner.Receive(&fault.value, 1, nowMs);
            break;
        case LineFaultKind::Silent:
            m_deaf = true;
            drop = true;
            break;
        case LineFaultKind::PowerLoss:
            m_inner.SetPower(false, false, nowMs);
            m_dead = true;
            m_held.clear();
            return;
        case LineFaultKind::Late: break;
        }
    }
    if (!drop)
        m_inner.Receive(&byte, 1, nowMs);
}

void FaultyLine::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    m_scratch.clear();
    m_inner.Collect(nowMs, m_scratch);
    if (m_dead)
        return;
    for (uint8_t byte : m_scratch)
        ToProgram(byte, nowMs);
    while (!m_held.empty() && m_held.front().releaseMs <= nowMs) {
        out.push_back(m_held.front().value);
        m_held.pop_front();
    }
}

void FaultyLine::ToProgram(uint8_t byte, uint64_t nowMs)
{
    const size_t index = m_answerCount++;
    bool drop = m_mute;
    std::vector<uint8_t> before;
    for (const LineFault& fault : Take(m_toProgram, index)) {
        switch (fault.kind) {
        case LineFaultKind::Drop: drop = true; break;
        case LineFaultKind::Flip: byte ^= fault.value; break;
        case LineFaultKind::Insert: before.push_back(fault.value); break;
        case LineFaultKind::Silent:
            m_mute = true;
            drop = true;
            break;
        case LineFaultKind::Late: m_delayMs += fault.delayMs; break;
        case LineFaultKind::PowerLoss: break;
        }
    }
    if (drop)
        return;
    // The line keeps its order: nothing overtakes a byte held back.
    uint64_t release = nowMs + m_delayMs;
    if (!m_held.empty() && m_held.back().releaseMs > release)
        release = m_held.back().releaseMs;
    for (uint8_t extra : before)
        m_held.push_back({release, extra});
    m_held.push_back({release, byte});
}

} // namespace tvqx::sim
