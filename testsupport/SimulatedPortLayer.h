#pragma once
// A port layer whose COM ports lead to simulated devices in the same process,
// on virtual time. A write reaches the device at the clock's current time;
// whatever the device has sent by now lands in the port's input queue when the
// program next looks at it. Every platform call is recorded, so that tests can
// check what CRS232 asked of the system and in which order.

#include "platform/TickClock.h"
#include "serial/PortLayer.h"
#include "sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tvqx {

class SimulatedPortLayer final : public PortLayer {
public:
    // A driver's input queue holds this much; bytes beyond it are lost.
    static constexpr size_t kInputQueueCapacity = 32768;

    explicit SimulatedPortLayer(VirtualTickClock& clock);
    // Handles still open afterwards stay safe to use and to close; they no
    // longer reach their devices.
    ~SimulatedPortLayer() override;
    SimulatedPortLayer(const SimulatedPortLayer&) = delete;
    SimulatedPortLayer& operator=(const SimulatedPortLayer&) = delete;

    // Makes COMn present, leading to `device`. Unplugging an open port leaves
    // its handle talking to a dead line.
    void Attach(int portNumber, sim::SimDevice& device);
    void Detach(int portNumber);

    // A faulty driver on an attached port. The next `times` reads that would
    // hand out a byte of value `byte` fail and deliver nothing; the byte
    // stays counted in the input queue.
    void FailReadsOf(int portNumber, uint8_t byte, size_t times = 1);
    // The modem status can no longer be read on the port (the call fails),
    // as on an adapter without modem lines.
    void FailModemStatus(int portNumber);

    // Null when COMn is not attached or already open.
    std::unique_ptr<PortHandle> CreateFile(int portNumber) override;

    // What the program asked of the system, in order, by the name of the
    // call: "CreateFile" (also when it failed), "SetupComm",
    // "SetCommTimeouts", "SetCommState", "SetCommMask", "PurgeComm",
    // "WriteFile", "ReadFile", "BytesInQueue", "GetCommModemStatus",
    // "EscapeCommFunction", "CloseHandle".
    const std::vector<std::string>& Calls() const;
    void ClearCalls();
    // Arguments of the calls whose argument decides what they do.
    const std::vector<int>& EscapeCodes() const;
    const std::vector<uint32_t>& PurgeFlags() const;

    // The last values the program set, whichever port it set them on.
    bool HasDcb() const;
    const Dcb& LastDcb() const;
    const CommTimeouts& LastTimeouts() const;
    uint32_t InQueueSize() const;
    uint32_t OutQueueSize() const;
    uint32_t EventMask() const;

    bool IsOpen(int portNumber) const;
    // DTR and RTS as the open port drives them (both down when closed).
    bool Dtr(int portNumber) const;
    bool Rts(int portNumber) const;
    // Bytes the open port's input queue lost because it was full.
    size_t DroppedBytes(int portNumber) const;

private:
    struct Line;
    struct Shared;
    class Handle;

    std::shared_ptr<Shared> m_shared;
};

} // namespace tvqx
