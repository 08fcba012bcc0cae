#pragma once
// A bad cable between the port and a simulated device: it passes everything
// through except at the bytes it was told to spoil. Bytes are counted in
// each direction from 0 since the line was built; a fault acts when its byte
// comes by (a byte that never comes leaves its fault unfired).
//
//   Drop        the byte is lost
//   Flip        the byte arrives with the bits of `value` inverted
//   Insert      `value` arrives just before the byte
//   Silent      the byte and everything after it in that direction is lost
//   Late        (towards the program) the byte and everything behind it
//               arrive `delayMs` later than they would have
//   PowerLoss   (towards the device) before the byte arrives the device
//               loses its supply and the line is dead both ways from then on,
//               as when a cable is pulled in the middle of a transfer
//
// The program's own bytes are kept as it wrote them, so that what it meant
// to send can be told apart from what the device got.

#include "sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

namespace tvqx::sim {

enum class LineDirection { ToDevice, ToProgram };
enum class LineFaultKind { Drop, Flip, Insert, Silent, Late, PowerLoss };

struct LineFault {
    LineFaultKind kind = LineFaultKind::Drop;
    LineDirection direction = LineDirection::ToDevice;
    size_t atByte = 0;
    uint8_t value = 0;       // Flip: the bits inverted (not 0); Insert: the byte
    uint32_t delayMs = 0;    // Late
};

// Whether a fault changes the bytes themselves (rather than their timing or
// the device's supply).
bool AltersData(LineFaultKind kind);

class FaultyLine final : public SimDevice {
public:
    // `inner` must outlive the line.
    FaultyLine(SimDevice& inner, std::vector<LineFault> faults);

    void SetPower(bool dtr, bool rts, uint64_t nowMs) override;
    void SetLineSpeed(uint32_t baud, uint64_t nowMs) override;
    void Receive(const uint8_t* data, size_t count, uint64_t nowMs) override;
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override;
    bool Dsr() const override { return !m_dead && m_inner.Dsr(); }
    bool DsrAt(uint64_t nowMs) const override { return !m_dead && m_inner.DsrAt(nowMs); }

    // The faults that have acted, in the order they did.
    const std::vector<LineFault>& Fired() const { return m_fired; }
    // The power was lost: nothing passes any more.
    bool Dead() const { return m_dead; }
    // Every byte the program wrote, as it wrote it.
    const std::vector<uint8_t>& Written() const { return m_written; }

private:
    using FaultMap = std::multimap<size_t, LineFault>;
    // The faults at byte `index` of one direction; each fires once.
    std::vector<LineFault> Take(FaultMap& faults, size_t index);
    void ToDevice(uint8_t byte, uint64_t nowMs);
    void ToProgram(uint8_t byte, uint64_t nowMs);

    SimDevice& m_inner;
    FaultMap m_toDevice;
    FaultMap m_toProgram;
    size_t m_sentCount = 0;
    size_t m_answerCount = 0;
    bool m_deaf = false;     // silent towards the device
    bool m_mute = false;     // silent towards the program
    bool m_dead = false;
    uint64_t m_delayMs = 0;  // added to every byte towards the program from a Late fault on

    struct Held {
        uint64_t releaseMs;
        uint8_t value;
    };
    std::deque<Held> m_held;
    std::vector<uint8_t> m_scratch;
    std::vector<LineFault> m_fired;
    std::vector<uint8_t> m_written;
};

} // namespace tvqx::sim
