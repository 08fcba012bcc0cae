#pragma once
// The wake-up handshake's watch: the start command where the unit needs one,
// the polls, and the wake-up byte; once the unit is awake, every byte goes on
// to the boot loader's watch.

#include "sim/WakeUpFront.h"
#include "sim/pty/DeviceWatch.h"

#include <cstdint>
#include <memory>

namespace tvqx::sim {

class WakeUpWatch final : public DeviceWatch {
public:
    WakeUpWatch(const WakeUpFront& front, DevsimTrace& trace, std::unique_ptr<DeviceWatch> inner);

    void PoweredOn() override;
    void AfterByte(uint8_t byte, uint64_t nowNs) override;
    void Tick(uint64_t nowNs) override { m_inner->Tick(nowNs); }
    bool UpdateCompleted() const override { return m_inner->UpdateCompleted(); }

private:
    void OnPoll(uint64_t nowNs);

    const WakeUpFront& m_front;
    DevsimTrace& m_trace;
    std::unique_ptr<DeviceWatch> m_inner;
    WakeUpFront::Stage m_stage;
    size_t m_pollsSeen;
    unsigned m_polls = 0;
    bool m_toldEarlyPoll = false;
};

} // namespace tvqx::sim
