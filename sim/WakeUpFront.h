#pragma once
// The wake-up handshake in front of a boot loader: while powered, the unit
// listens for the program's poll byte 0xC0 and, after a number of polls,
// answers with its wake-up byte 0xD0. From then on the boot loader behind it
// (the inner device) has the line. Some units only start listening for polls
// once they have been sent a start command.
//
// Every byte the program sends is recorded here with its time, whether or not
// it reaches the inner device.

#include "sim/DeviceLine.h"
#include "sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tvqx::sim {

inline constexpr uint8_t kWakeUpPoll = 0xC0;
inline constexpr uint8_t kWakeUpAnswer = 0xD0;
inline constexpr char kWakeUpStartCommand[] = "<#:Z";

struct WakeUpOptions {
    // The speed the unit listens and answers at.
    uint32_t baud = 9600;
    // The poll that wakes it, counting from 1; polls before it go unanswered
    // (or draw `pollAnswer`).
    unsigned pollsBeforeWake = 1;
    bool neverWakes = false;
    // Pause between the waking poll and the wake-up byte.
    uint32_t wakeDelayMs = 0;
    // Sent in the same burst as the wake-up byte, before and after it.
    std::vector<uint8_t> noiseBeforeWake{};
    std::vector<uint8_t> noiseAfterWake{};
    // Sent back to every poll that does not wake the unit.
    std::vector<uint8_t> pollAnswer{};

    // Polls count only once kWakeUpStartCommand has been seen since power-up;
    // `startCommandAnswer` is what the unit answers it with.
    bool requireStartCommand = false;
    std::vector<uint8_t> startCommandAnswer{};

    // Line noise at fixed times.
    std::vector<TimedNoise> noiseAt{};
};

class WakeUpFront final : public SimDevice {
public:
    enum class Stage { Off, AwaitingStartCommand, AwaitingPolls, Awake };

    // `inner` must outlive the front.
    WakeUpFront(SimDevice& inner, WakeUpOptions options = {});

    void SetPower(bool dtr, bool rts, uint64_t nowMs) override;
    void SetLineSpeed(uint32_t baud, uint64_t nowMs) override;
    void Receive(const uint8_t* data, size_t count, uint64_t nowMs) override;
    // The front's own bytes, then the inner device's: the front has spoken
    // before the inner device hears anything.
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override;
    bool Dsr() const override { return m_inner.Dsr(); }
    bool DsrAt(uint64_t nowMs) const override { return m_inner.DsrAt(nowMs); }

    const WakeUpOptions& Options() const { return m_options; }
    Stage CurrentStage() const { return m_stage; }
    SimDevice& Inner() { return m_inner; }

    // Every byte that reached the line from the program, powered or not and
    // at any speed, as the program wrote it.
    const std::vector<ReceivedByte>& Received() const { return m_line.Received(); }
    const std::vector<PowerEvent>& PowerEvents() const { return m_line.PowerEvents(); }
    // When each poll the unit recognised arrived, across power cycles,
    // polls that came after it woke included.
    const std::vector<uint64_t>& PollTimes() const { return m_pollTimes; }
    // When the wake-up byte went out, since the last power-up.
    std::optional<uint64_t> WakeTime() const { return m_wakeTime; }
    size_t WakeCount() const { return m_wakes; }

private:
    void HandleByte(uint8_t byte, uint64_t nowMs);
    void Wake(uint64_t nowMs);
    // A poll that does not wake the unit.
    void OnIdlePoll(uint64_t nowMs);

    SimDevice& m_inner;
    WakeUpOptions m_options;
    DeviceLine m_line;
    Stage m_stage = Stage::Off;
    CommandWindow m_startWindow;
    unsigned m_polls = 0;
    bool m_toldEarlyPoll = false;
    std::vector<uint64_t> m_pollTimes;
    // The boot loader has been sent something other than polls since the
    // unit woke.
    bool m_innerSpoken = false;
    std::optional<uint64_t> m_wakeTime;
    size_t m_wakes = 0;
};

} // namespace tvqx::sim
