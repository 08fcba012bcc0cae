#pragma once
// Gives bytes on the pseudo-terminal the timing of a real serial line. A pty
// moves bytes instantly; a line moves one byte per 10 bit times (start, 8
// data, stop). Bytes the program wrote reach the device one byte time apart,
// each only when it has fully arrived, and the device's answers go out no
// faster than its transmitter could send them. Unpaced, bytes reach the
// device when they are read and answers go out when they are due.
//
// Times are nanoseconds of the host's monotonic clock.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace tvqx::sim {

struct TimedLineByte {
    uint64_t timeNs;
    uint8_t value;
};

// Time one byte (10 bits) takes on the line at `baud`; an unusable speed
// counts as 9600.
uint64_t ByteTimeNs(uint32_t baud);

class LinePacer {
public:
    explicit LinePacer(bool paced) : m_paced(paced) {}

    // Bytes the program wrote, read from the line at `nowNs` with the line
    // set to `baud`.
    void FromProgram(const uint8_t* data, size_t count, uint64_t nowNs, uint32_t baud);
    // Moves to `out` the bytes that have reached the device by `nowNs`, each
    // with the time it arrived.
    void TakeArrived(uint64_t nowNs, std::vector<TimedLineByte>& out);
    // Everything still on its way, whatever its time (the line goes down).
    void TakeAll(std::vector<TimedLineByte>& out);

    // Bytes the device sent at `nowNs` at its own speed `baud`.
    void FromDevice(const uint8_t* data, size_t count, uint64_t nowNs, uint32_t baud);
    // The bytes the program may see by `nowNs`. Bytes that could not be
    // passed on go back with PutBack, ahead of the rest.
    void TakeDue(uint64_t nowNs, std::vector<uint8_t>& out);
    void PutBack(const uint8_t* data, size_t count, uint64_t nowNs);

    // When the next byte falls due in either direction.
    std::optional<uint64_t> NextDueNs() const;
    // When the host has to look at the line next: when the next byte is due
    // to the program; for the device, when the last byte on its way there
    // has arrived, and during a longer burst once in each millisecond. The
    // units count whole milliseconds, so handing them bytes more often
    // could not make them answer any sooner.
    std::optional<uint64_t> NextLookNs() const;
    // When the next byte falls due to the program.
    std::optional<uint64_t> NextToProgramNs() const;
    // The device lost its power: what it was sending dies with it, and the
    // line starts idle.
    void Reset();

private:
    bool m_paced;
    std::deque<TimedLineByte> m_toDevice;
    std::deque<TimedLineByte> m_toProgram;
    uint64_t m_toDeviceFreeNs = 0;
    uint64_t m_toProgramFreeNs = 0;
};

} // namespace tvqx::sim
