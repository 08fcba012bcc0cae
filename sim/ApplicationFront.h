#pragma once
// The unit's running application in front of its boot loader. After power-up
// the application has the line at its own speed and raises DSR. It names
// itself when asked with "<V", and on "<W" it hands over: DSR drops a moment
// later and from then on the boot loader (the inner device) has the line, at
// the boot loader's speed.
//
// Every byte the program sends is recorded here with its time, whether or not
// it reaches the inner device.

#include "sim/DeviceLine.h"
#include "sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvqx::sim {

inline constexpr uint32_t kApplicationBaud = 9600;
inline constexpr char kApplicationVersionRequest[] = "<V";
inline constexpr char kApplicationHandOverRequest[] = "<W";
// What the application answers "<V" with, CR included.
inline constexpr char kApplicationAnswer[] = "TVQXR-APP-4.12\r";

struct ApplicationOptions {
    // Sent instead of kApplicationAnswer: a wrong one, or one longer than
    // the program can hold.
    std::optional<std::string> answerText{};
    // "<V" goes unanswered.
    bool ignoreVersionRequest = false;
    // Pause before the answer to "<V".
    uint32_t answerDelayMs = 0;
    // Time from "<W" to DSR dropping, which is when the boot loader takes
    // the line.
    uint32_t handOverDelayMs = 50;
    // "<W" is ignored: DSR stays up and the application keeps the line.
    bool dsrNeverDrops = false;
    // The unit powers up in its boot loader: DSR down from the start.
    bool startsInBootLoader = false;

    // Line noise at fixed times, at the application's speed.
    std::vector<TimedNoise> noiseAt{};
};

class ApplicationFront final : public SimDevice {
public:
    enum class Stage { Off, Application, HandingOver, BootLoader };

    // `inner` must outlive the front.
    ApplicationFront(SimDevice& inner, ApplicationOptions options = {});

    void SetPower(bool dtr, bool rts, uint64_t nowMs) override;
    void SetLineSpeed(uint32_t baud, uint64_t nowMs) override;
    void Receive(const uint8_t* data, size_t count, uint64_t nowMs) override;
    // The application's bytes, then the boot loader's: the application has
    // stopped talking before the boot loader starts.
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override;
    // Without a time: as of the last thing the unit heard or sent.
    bool Dsr() const override { return DsrAt(m_lastSeenMs); }
    bool DsrAt(uint64_t nowMs) const override;

    const ApplicationOptions& Options() const { return m_options; }
    // The stage as of the last thing the unit heard or sent.
    Stage CurrentStage() const { return StageAt(m_lastSeenMs); }
    SimDevice& Inner() { return m_inner; }

    // Every byte that reached the line from the program, powered or not and
    // at any speed, as the program wrote it.
    const std::vector<ReceivedByte>& Received() const { return m_line.Received(); }
    const std::vector<PowerEvent>& PowerEvents() const { return m_line.PowerEvents(); }
    // When "<V" and "<W" were recognised, across power cycles.
    const std::vector<uint64_t>& VersionRequestTimes() const { return m_versionRequests; }
    const std::vector<uint64_t>& HandOverRequestTimes() const { return m_handOverRequests; }
    // When the boot loader took the line since the last power-up.
    std::optional<uint64_t> HandOverTime() const { return m_handOverMs; }

private:
    Stage StageAt(uint64_t nowMs) const;
    void HandleByte(uint8_t byte, uint64_t nowMs);
    // Time has come to `nowMs`: tells the hand-over once it is past.
    void See(uint64_t nowMs);

    SimDevice& m_inner;
    ApplicationOptions m_options;
    DeviceLine m_line;
    bool m_powered = false;
    // Set by "<W" (or at power-up when the unit starts in its boot loader).
    std::optional<uint64_t> m_handOverMs;
    bool m_toldHandOver = false;
    uint64_t m_lastSeenMs = 0;
    CommandWindow m_commandWindow;
    std::vector<uint64_t> m_versionRequests;
    std::vector<uint64_t> m_handOverRequests;
};

} // namespace tvqx::sim
