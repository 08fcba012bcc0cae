#pragma once
// The running application's watch: "<V" and its answer, "<W" and the drop of
// DSR that hands the line to the boot loader, whose watch then takes every
// byte.

#include "sim/ApplicationFront.h"
#include "sim/pty/DeviceWatch.h"

#include <cstdint>
#include <memory>

namespace tvqx::sim {

class ApplicationWatch final : public DeviceWatch {
public:
    ApplicationWatch(const ApplicationFront& front, DevsimTrace& trace, std::unique_ptr<DeviceWatch> inner);

    void PoweredOn() override;
    void AfterByte(uint8_t byte, uint64_t nowNs) override;
    void Tick(uint64_t nowNs) override;
    bool UpdateCompleted() const override { return m_inner->UpdateCompleted(); }

private:
    const ApplicationFront& m_front;
    DevsimTrace& m_trace;
    std::unique_ptr<DeviceWatch> m_inner;
    size_t m_versionRequests;
    size_t m_handOverRequests;
    bool m_handedOver = false;
};

} // namespace tvqx::sim
