#pragma once
// How the simulated radio gateway and the remote unit behind it are set up,
// and the faults they can be scripted with. Every option at its default
// gives a healthy pair whose link still has to be configured.

#include "sim/DeviceLine.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tvqx::sim {

// What becomes of one answer frame.
enum class AnswerFault {
    None,
    Missing,        // no answer at all
    Short,          // the frame less its last byte
    WrongType,      // byte 3 is not the command-response type
    BadStatus,      // the status byte is not 0
    WrongLetters,   // the two parameter letters swapped
};

struct RadioOptions {
    // The one speed the gateway talks.
    uint32_t gatewayBaud = 38400;
    // No gateway on the line: nothing the program sends is ever answered.
    bool gatewayAbsent = false;
    // The answer to "<V" without its CR; empty: the variant's usual one.
    std::string gatewayAnswer{};
    uint64_t gatewaySerial = 0x0013B0C41F2A6E90;

    char moduleId = '7';
    uint64_t roverSerial = 0x00A4B5127C3E9D01;
    uint16_t roverPanId = 0x3332;
    uint8_t roverChannel = 0x0C;
    // Both ends already hold each other's serial numbers: the link is up
    // from the start.
    bool linkConfigured = false;

    // The remote unit's Setup button pressed at this virtual time, or this
    // long after the gateway first heard "<RS".
    std::optional<uint64_t> setupPressAtMs{};
    std::optional<uint64_t> setupAfterListenMs{};
    // Time each way over the radio in transparent mode.
    uint32_t relayDelayMs = 0;

    // Keyed by the parameter an answer frame is for: "CH", "ID", "SH",
    // "SL", "DH", "DL" (the gateway's own answers) and "rDH", "rDL" (the
    // remote unit's).
    std::map<std::string, AnswerFault> answerFaults{};
    // Replaces the module ID in the answer to "I" (the unit adds the CR).
    std::string moduleIdAnswer{};
    // The remote unit never takes its new settings.
    bool linkNeverUp = false;
    // The remote unit answers only this many probes; -1: all.
    int probesAnswered = -1;
    // Sent verbatim instead of the parameter line when Setup is pressed.
    std::optional<std::string> setupLine{};

    // Noise on the serial line at fixed times.
    std::vector<TimedNoise> noiseAt{};
};

// Parameters of a radio module, as "<@:S" / "<@:I" and the API frames name
// them.
struct RadioParameters {
    uint16_t id = 0;   // PAN ID
    uint8_t ch = 0;    // channel
    uint32_t dh = 0;   // destination, high half
    uint32_t dl = 0;   // destination, low half
    uint8_t ap = 0;    // API mode
};

} // namespace tvqx::sim
