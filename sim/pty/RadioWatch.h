#pragma once
// The radio units' watch: what the gateway did (found, radio set up,
// listening, the parameter line, the link), the probes the remote unit's
// front answered, and every byte that reached the boot loader behind it,
// handed on to the boot loader's watch.
//
// The gateway has its own supply, so opening the port does not start the
// boot loader afresh; it starts afresh when the gateway leaves transparent
// mode after it has been talked to. An update counts once, in the port
// session it was completed in.

#include "sim/RadioGateway.h"
#include "sim/RoverUnit.h"
#include "sim/pty/DeviceWatch.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tvqx::sim {

class RadioWatch final : public DeviceWatch {
public:
    // `bootLoaderReceived` is what the boot loader behind the remote unit
    // has heard.
    RadioWatch(const RadioGateway& gateway, const RoverUnit& rover,
               const std::vector<ReceivedByte>& bootLoaderReceived, DevsimTrace& trace,
               std::unique_ptr<DeviceWatch> inner);

    void PoweredOn() override;
    void AfterByte(uint8_t byte, uint64_t nowNs) override;
    void Tick(uint64_t nowNs) override;
    bool UpdateCompleted() const override { return m_sessionDone; }

private:
    void CatchUp(uint64_t nowNs);

    const RadioGateway& m_gateway;
    const RoverUnit& m_rover;
    const std::vector<ReceivedByte>& m_bootLoaderReceived;
    DevsimTrace& m_trace;
    std::unique_ptr<DeviceWatch> m_inner;
    size_t m_events;
    size_t m_probesHeard;
    size_t m_probesAnswered;
    size_t m_bytesForwarded;
    size_t m_sessions;
    bool m_innerWasComplete = false;
    bool m_sessionDone = false;
};

} // namespace tvqx::sim
