#pragma once
// What a simulated device sees of its serial line: power from DTR and RTS,
// the line speed, the bytes the program sends (each with its time), and what
// it sends back, released at the virtual time it is due. Both the in-process
// link (testsupport/SimulatedPortLayer) and the pseudo-terminal host drive a device
// through this interface; times are milliseconds of the host's clock. A
// device tells what it does to a trace sink, when it has one.

#include "sim/TraceSink.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tvqx::sim {

class SimDevice {
public:
    virtual ~SimDevice() = default;
    // The port's power lines changed. The device runs only while both are up.
    virtual void SetPower(bool dtr, bool rts, uint64_t nowMs) = 0;
    // The line's speed (baud); bytes sent at another speed reach the device
    // as garbage and the device's answers reach the program as garbage.
    virtual void SetLineSpeed(uint32_t baud, uint64_t nowMs) = 0;
    // Bytes the program wrote, all arriving at `nowMs`.
    virtual void Receive(const uint8_t* data, size_t count, uint64_t nowMs) = 0;
    // Appends to `out` every byte the device has sent up to `nowMs`, in order.
    virtual void Collect(uint64_t nowMs, std::vector<uint8_t>& out) = 0;
    // DSR as the device drives it (reported in the modem status word).
    virtual bool Dsr() const { return false; }
    // DSR at `nowMs`, for devices that change it on their own some time
    // after a command: a program polling only the modem status must still
    // see the change when it is due.
    virtual bool DsrAt(uint64_t nowMs) const
    {
        (void)nowMs;
        return Dsr();
    }

    // Who follows what the device does; none by default. `sink` must
    // outlive the device or be replaced first.
    void SetTraceSink(TraceSink* sink) { m_trace = sink; }

protected:
    void Tell(uint64_t nowMs, const std::string& text, TraceKind kind = TraceKind::Notable) const
    {
        if (m_trace)
            m_trace->Tell(nowMs, kind, text);
    }

private:
    TraceSink* m_trace = nullptr;
};

} // namespace tvqx::sim
