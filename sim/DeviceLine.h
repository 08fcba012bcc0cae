#pragma once
// The wire end every simulated device shares: its supply, the speed it talks
// at, a record of what the program sent it, and its transmitter, which
// releases each queued byte at the virtual time it is due, mixed with any
// noise scripted on the line. A byte sent at a speed the device does not talk
// is garbage to it, and its own bytes are garbage to a program listening at
// another speed.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tvqx::sim {

// Part of an answer: `byteCount` bytes released `delayMs` after the previous
// part (the first part counts from when the answer is due).
struct AnswerPiece {
    size_t byteCount = 0;
    uint32_t delayMs = 0;
};

// Bytes that appear on the line at a fixed time, whatever the device is doing
// (a loose connector, a neighbour's interference).
struct TimedNoise {
    uint64_t atMs = 0;
    std::vector<uint8_t> bytes{};
};

struct ReceivedByte {
    uint64_t timeMs;
    uint8_t value;
};

struct PowerEvent {
    uint64_t timeMs;
    bool on;
};

// What a byte looks like to a receiver set to another speed: framing
// garbage, never anything a protocol could mistake for an answer.
uint8_t GarbledByte(uint8_t value);

class DeviceLine {
public:
    explicit DeviceLine(uint32_t baud, const std::vector<TimedNoise>& noiseAt = {});

    uint32_t Baud() const { return m_baud; }

    // Returns true when the supply changed. Whatever the device was about to
    // send dies with its supply, and the answers count from 0 again.
    bool SetPower(bool on, uint64_t nowMs);
    bool Powered() const { return m_powered; }

    void SetLineSpeed(uint32_t baud, uint64_t nowMs);
    bool SpeedMatches() const { return m_speedMatches; }

    // Records a byte from the program (powered or not, at any speed); true
    // when the device can make sense of it.
    bool Hear(uint8_t value, uint64_t nowMs);

    // Noise sent just before an answer, keyed by the answer's number since
    // power-up (0 the first).
    void SetNoiseBeforeAnswer(std::map<size_t, std::vector<uint8_t>> noise);
    // Queues one answer, after its scripted noise; returns the time its last
    // byte is due.
    uint64_t Answer(const std::vector<uint8_t>& bytes, uint64_t dueMs);
    // The same, in pieces with pauses between them; bytes left over after
    // the last piece follow it at once.
    uint64_t AnswerInPieces(const std::vector<uint8_t>& bytes, const std::vector<AnswerPiece>& pieces,
                            uint64_t dueMs);
    // Queues a byte outside any answer.
    void Queue(uint8_t value, uint64_t dueMs);
    // When the last byte queued is (or was) due.
    uint64_t LastDueMs() const { return m_lastDueMs; }

    // Appends every byte on the line up to `nowMs`, in order.
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out);

    const std::vector<ReceivedByte>& Received() const { return m_received; }
    const std::vector<PowerEvent>& PowerEvents() const { return m_powerEvents; }

private:
    struct Outgoing {
        uint64_t dueMs;
        uint8_t value;
    };

    void BeginAnswer(uint64_t dueMs);
    bool SpeedMatchedAt(uint64_t timeMs) const;

    uint32_t m_baud;
    bool m_powered = false;
    bool m_speedMatches = true;
    // When the line speed changed, and whether it then matched: a byte is
    // garbled by the speed in force when it is on the line, not when it was
    // queued. Kept whole: speed changes are few, and a byte handed over
    // late still meets the speed of its own time.
    std::map<uint64_t, bool> m_speedHistory;

    std::map<size_t, std::vector<uint8_t>> m_noiseBeforeAnswer;
    size_t m_answersGiven = 0;
    std::deque<Outgoing> m_out;
    uint64_t m_lastDueMs = 0;
    std::deque<Outgoing> m_lineNoise;

    std::vector<ReceivedByte> m_received;
    std::vector<PowerEvent> m_powerEvents;
};

// The last few bytes heard, for finding commands wherever they stand in the
// stream: bytes before a command, or a broken first attempt, do not hide it.
class CommandWindow {
public:
    explicit CommandWindow(size_t length) : m_length(length) {}
    void Push(uint8_t value);
    bool EndsWith(std::string_view command) const;
    void Clear() { m_bytes.clear(); }

private:
    size_t m_length;
    std::string m_bytes;
};

} // namespace tvqx::sim
