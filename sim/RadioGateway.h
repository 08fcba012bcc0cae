#pragma once
// The radio gateway on the COM port, with its own supply: the port's power
// lines do not touch it and its state survives the port being closed, but
// nothing it sends while the port is closed reaches the program. It talks
// one line speed.
//
// It starts in command mode, taking short ASCII commands that begin with
// '<'. "<RP" followed by the radio's API frames sets its radio up and, after
// the API mode frame, puts it in transparent mode: every byte goes over the
// radio to the remote unit and the unit's bytes come back, as long as the
// link is up (each end holds the other's serial number in DH/DL). Six ESC
// after a quarter second of silence bring it back to command mode from
// anywhere, so that ESC bytes inside firmware data do not; "+++" between
// seconds of silence puts its radio in AT command mode.
//
// Everything it could not make sense of is kept in Errors(), so that a test
// of the program can tell a conversation that merely worked from one that
// was right to the byte.

#include "sim/DeviceLine.h"
#include "sim/RadioFrames.h"
#include "sim/RadioOptions.h"
#include "sim/RoverUnit.h"
#include "sim/SimDevice.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tvqx::sim {

struct SpeedEvent {
    uint64_t timeMs;
    uint32_t baud;
};

class RadioGateway final : public SimDevice {
public:
    enum class Mode { Command, Frames, Transparent, RadioCommand };
    // How far the program has come with it, as the gateway can tell.
    enum class Stage { Searching, Setup, Configuring };

    // `rover` must outlive the gateway.
    RadioGateway(RoverUnit& rover, int variant, RadioOptions options);

    void SetPower(bool dtr, bool rts, uint64_t nowMs) override;
    void SetLineSpeed(uint32_t baud, uint64_t nowMs) override;
    void Receive(const uint8_t* data, size_t count, uint64_t nowMs) override;
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override;

    const RadioOptions& Options() const { return m_options; }
    Mode CurrentMode() const { return m_mode; }
    Stage CurrentStage() const { return m_stage; }
    bool Listening() const { return m_listening; }
    // Each end holds the other's serial number.
    bool LinkUp() const;
    const RadioParameters& Parameters() const { return m_parameters; }
    uint64_t Serial() const { return m_options.gatewaySerial; }

    // The next moment it does something on its own (a guard time ending, a
    // scheduled Setup press, a byte due over the radio), if any.
    std::optional<uint64_t> NextEventMs() const;

    // Every byte the program wrote, at any speed, with its time.
    const std::vector<ReceivedByte>& Received() const { return m_line.Received(); }
    // The port's power lines (DTR and RTS both up, or not), which the
    // gateway itself ignores.
    const std::vector<PowerEvent>& PowerEvents() const { return m_powerEvents; }
    const std::vector<SpeedEvent>& SpeedEvents() const { return m_speedEvents; }
    // What it rejected, the remote unit's rejections included.
    std::vector<std::string> Errors() const;
    // Bytes dropped because the link was down (either way).
    size_t LostBytes() const { return m_lostBytes; }

private:
    // Timed work up to `nowMs`, in order, and what came over the radio.
    void Advance(uint64_t nowMs);
    void PullRover(uint64_t nowMs);
    void Hear(uint8_t byte, uint64_t nowMs, uint64_t quietMs);
    void Dispatch(uint8_t byte, uint64_t nowMs, uint64_t quietMs);
    void ReleaseEscapes(uint64_t nowMs);
    void ReleasePluses(uint64_t nowMs);
    void EnterCommandMode(uint64_t nowMs, const std::string& why);
    void Relay(uint8_t byte, uint64_t nowMs);
    void Transparent(uint8_t byte, uint64_t nowMs, uint64_t quietMs);

    // GatewayCommands.cpp: command mode, API frames, AT commands.
    void CommandByte(uint8_t byte, uint64_t nowMs);
    void RunCommand(uint64_t nowMs);
    void SetCommand(uint64_t nowMs);
    void ReadCommand(uint64_t nowMs);
    void PayloadCommand(uint64_t nowMs);
    void FrameByte(uint8_t byte, uint64_t nowMs);
    void CheckFrame(uint64_t nowMs);
    void RadioCommandByte(uint8_t byte, uint64_t nowMs);
    void Answer(const std::vector<uint8_t>& bytes, uint64_t dueMs);
    void Answer(const std::string& text, uint64_t dueMs);
    void Reject(uint64_t nowMs, std::string text);
    void TellLink(uint64_t nowMs);

    RoverUnit& m_rover;
    int m_variant;
    RadioOptions m_options;
    DeviceLine m_line;
    bool m_portOpen = false;
    Mode m_mode = Mode::Command;
    Stage m_stage = Stage::Searching;
    bool m_listening = false;
    bool m_listenedBefore = false;
    RadioParameters m_parameters;

    std::optional<uint64_t> m_lastHeardMs;
    int m_escapeRun = 0;
    int m_plusRun = 0;
    std::optional<uint64_t> m_plusGuardEndMs;

    std::string m_command;
    std::vector<uint8_t> m_frame;
    std::set<std::string> m_framesSeen;
    bool m_framesGood = true;
    std::string m_atLine;

    std::multiset<uint64_t> m_setupPresses;
    std::vector<RadioSend> m_setupSends;
    std::deque<ReceivedByte> m_toRover;
    bool m_linkWasUp = false;
    bool m_toldLoss = false;
    size_t m_lostBytes = 0;

    std::vector<PowerEvent> m_powerEvents;
    std::vector<SpeedEvent> m_speedEvents;
    std::vector<std::string> m_errors;
};

} // namespace tvqx::sim
