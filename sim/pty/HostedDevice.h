#pragma once
// The unit tvqx-devsim hosts: the device stack of the chosen variant, driven
// on the host's monotonic clock (nanoseconds outside, the devices'
// milliseconds inside), its parts telling the trace what they do.
//
// It also tells the host when it has to look at the unit. A unit only acts
// on what it is sent: after the last byte (or power-up) it sends what that
// caused within the longest pause its faults script, and then nothing until
// the program sends more, except scripted line noise at known times. Outside
// those stretches the host can sleep until the program does something.

#include "sim/VariantDevices.h"
#include "sim/pty/DevsimOptions.h"
#include "sim/pty/DevsimTrace.h"
#include "sim/pty/LinePacer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvqx::sim {

class HostedDevice final : private TraceSink {
public:
    HostedDevice(const DevsimOptions& options, uint64_t startNs, DevsimTrace& trace);
    // Its parts tell it what they do.
    HostedDevice(const HostedDevice&) = delete;
    HostedDevice& operator=(const HostedDevice&) = delete;

    // What the unit is and how it talks, for the start-up trace.
    std::string Description() const;

    void PowerOn(uint64_t nowNs);
    void PowerOff(uint64_t nowNs);
    void SetLineSpeed(uint32_t baud, uint64_t nowNs);
    // One byte from the program, at the time it arrived.
    void Take(const TimedLineByte& byte);
    // What the unit has sent by `nowNs`.
    void Collect(uint64_t nowNs, std::vector<uint8_t>& out);
    // When what Collect just gave left the unit, as near as its millisecond
    // clock tells: within the current millisecond, but not before the last
    // byte it took arrived; never after `nowNs`. A host that looks late
    // thus does not stretch the line by its lateness.
    uint64_t ReleasedNs(uint64_t nowNs) const;
    // The radio units' Setup button; nothing on the others.
    void PressSetupButton(uint64_t nowNs);
    bool HasSetupButton() const { return m_device.rover != nullptr; }
    // The program is not done with the unit yet though it closed the port:
    // a radio gateway left outside command mode is reopened and sent "<W".
    bool MidConversation() const
    {
        return m_device.gateway && m_device.gateway->CurrentMode() != RadioGateway::Mode::Command;
    }

    // The speed of whichever part has the line now.
    uint32_t TalkingBaud() const { return m_device.TalkingBaud(); }
    // When the host must look again at the latest, while powered; none
    // when only the program can make the unit do anything.
    std::optional<uint64_t> NextLookNs(uint64_t nowNs) const;

    // The update's last step arrived since the last power-up.
    bool UpdateCompleted() const { return m_completed; }
    const std::vector<uint8_t>& Flash() const { return m_device.Flash(); }
    const VariantDevice& Device() const { return m_device; }

private:
    void Touched(uint64_t nowMs);
    void Tell(uint64_t nowMs, TraceKind kind, const std::string& text) override;
    // The host's time of the call into the device under way.
    uint64_t Now(uint64_t nowNs);

    int m_variant;
    bool m_inApplication;
    // When scripted line noise is due (host clock, ms); filled while the
    // device is built.
    std::vector<uint64_t> m_noiseMs;
    VariantDevice m_device;
    DevsimTrace& m_trace;
    uint64_t m_nowNs = 0;
    bool m_completed = false;
    uint64_t m_reactionMs;
    std::optional<uint64_t> m_busyUntilMs;
    uint64_t m_lastCollectMs = 0;
    uint64_t m_lastTakenNs = 0;
};

// The longest the unit takes, with its scripted faults, from a byte it was
// sent to the last thing that byte makes it do.
uint64_t LongestReactionMs(const VariantDevice& device);

} // namespace tvqx::sim
