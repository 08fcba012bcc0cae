#pragma once
// The remote unit at the far end of the radio link: always powered, its boot
// loader behind a probe front. Until the boot loader has been sent anything,
// each probe byte (0x80 for the row boot loader, 0xC0 for the page boot
// loader) is answered by the front (0x90 / 0xD0); the first other byte goes
// to the boot loader, which has the link from then on.
//
// Besides the link's data it takes payloads the gateway delivers by radio
// ("I", "#:C..", "#:Z"), and its Setup button sends its parameter line. What
// it sends goes to the gateway, which decides whether the program hears it.

#include "sim/DeviceLine.h"
#include "sim/RadioFrames.h"
#include "sim/RadioOptions.h"
#include "sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::sim {

// Something the unit sent on its own, with when it left.
struct RadioSend {
    uint64_t timeMs;
    std::vector<uint8_t> bytes;
};

class RoverUnit final : public SimDevice {
public:
    // `inner` (the boot loader) must outlive the unit; it is powered at
    // `innerBaud` from the start and stays so. `variant` picks the probe.
    RoverUnit(SimDevice& inner, uint32_t innerBaud, int variant, const RadioOptions& options);

    // Always powered; the radio has no line speed.
    void SetPower(bool, bool, uint64_t) override {}
    void SetLineSpeed(uint32_t, uint64_t) override {}
    // The link's data from the gateway in transparent mode.
    void Receive(const uint8_t* data, size_t count, uint64_t nowMs) override;
    // What the unit sends back over the link: the front's answers, then the
    // boot loader's.
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override;

    // A payload delivered by the gateway; returns the unit's reply (empty
    // when it has none).
    std::vector<uint8_t> TakePayload(const std::vector<uint8_t>& payload, uint64_t nowMs);
    // The gateway left transparent mode: a boot loader that has been talked
    // to starts afresh (its flash kept), and the front answers probes again.
    void EndSession(uint64_t nowMs);

    void PressSetupButton(uint64_t nowMs);
    // Parameter lines sent since the last call, for the gateway to hear.
    std::vector<RadioSend> TakeSetupSends();
    size_t SetupPresses() const { return m_presses; }

    uint64_t Serial() const { return m_serial; }
    // The settings in force, and those taken by "#:C" awaiting "#:Z".
    const RadioParameters& Parameters() const { return m_parameters; }
    const RadioParameters& PendingParameters() const { return m_pending; }
    size_t SettingsTaken() const { return m_settingsTaken; }

    uint8_t Probe() const { return m_probe; }
    size_t ProbesHeard() const { return m_probesHeard; }
    size_t ProbesAnswered() const { return m_probesAnswered; }
    // The boot loader has been sent something since the session began.
    bool InnerSpoken() const { return m_innerSpoken; }
    size_t Sessions() const { return m_sessions; }
    // Every byte that came over the link, and every payload.
    const std::vector<ReceivedByte>& Received() const { return m_received; }
    const std::vector<std::vector<uint8_t>>& Payloads() const { return m_payloads; }
    const std::vector<std::string>& Errors() const { return m_errors; }

private:
    std::vector<uint8_t> TakeSetting(const std::vector<uint8_t>& payload);

    SimDevice& m_inner;
    RadioOptions m_options;
    DeviceLine m_front;
    uint8_t m_probe;
    uint8_t m_probeAnswer;
    uint64_t m_serial;
    RadioParameters m_parameters;
    RadioParameters m_pending;
    size_t m_settingsTaken = 0;

    bool m_innerSpoken = false;
    size_t m_sessions = 1;
    size_t m_probesHeard = 0;
    size_t m_probesAnswered = 0;
    size_t m_presses = 0;
    std::vector<RadioSend> m_setupSends;
    std::vector<ReceivedByte> m_received;
    std::vector<std::vector<uint8_t>> m_payloads;
    std::vector<std::string> m_errors;
};

} // namespace tvqx::sim
