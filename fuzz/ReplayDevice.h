#pragma once
// A device that knows no protocol: it answers with whatever its script says,
// on virtual time, so that a fuzzer decides every byte the update reads.
//
// The script is a list of answers, each a control byte and up to 15 bytes:
//   bits 0-3  how many bytes follow
//   bit 4     chained: the next answer follows this one on its own
//   bits 5-7  how long after its cue the answer comes (kDelaysMs)
// An answer's cue is the device powering up, or the program's first look at
// the line after it wrote something; a chained answer's cue is the answer
// before it. Once the script is used up the device is silent. DSR follows
// the bits of `dsrPattern`, one bit per answer given so far.

#include "sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace tvqx::fuzz {

class ReplayDevice final : public sim::SimDevice {
public:
    // Enough to fall either side of every time-out the update has.
    static constexpr uint32_t kDelaysMs[8] = {0, 1, 15, 120, 900, 2999, 3001, 12000};

    ReplayDevice(const uint8_t* script, size_t size, uint8_t dsrPattern, uint64_t hangAfterMs);

    void SetPower(bool dtr, bool rts, uint64_t nowMs) override;
    void SetLineSpeed(uint32_t, uint64_t) override {}
    void Receive(const uint8_t* data, size_t count, uint64_t nowMs) override;
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override;
    bool Dsr() const override { return DsrAfter(m_answersGiven); }
    bool DsrAt(uint64_t nowMs) const override;

    // Bytes the program wrote, in all.
    size_t BytesHeard() const { return m_heard; }

private:
    struct Answer {
        uint64_t atMs;
        std::vector<uint8_t> bytes;
    };

    void Cue(uint64_t nowMs);
    bool DsrAfter(size_t answers) const { return (m_dsrPattern >> (answers % 8)) & 1u; }

    const uint8_t* m_script;
    size_t m_size;
    size_t m_next = 0;
    uint8_t m_dsrPattern;
    uint64_t m_hangAfterMs;
    bool m_powered = false;
    bool m_wroteSinceCue = false;
    uint64_t m_lastAnswerMs = 0;
    size_t m_answersGiven = 0;
    size_t m_heard = 0;
    std::deque<Answer> m_due;
};

} // namespace tvqx::fuzz
