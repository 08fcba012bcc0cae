#pragma once
// The byte shapes the gateway and the remote unit share: the radio's API
// frames, their checksum, the response frames and how a scripted fault bends
// one, the gateway's identification answers, and the remote unit's parameter
// line.

#include "sim/RadioOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvqx::sim {

inline constexpr uint8_t kRadioEscape = 0x1B;
inline constexpr int kEscapeRunLength = 6;
inline constexpr uint32_t kEscapeSilenceMs = 250;
inline constexpr uint32_t kPlusGuardMs = 1000;
// Time the gateway takes to answer its own commands, and a round trip over
// the radio to the remote unit.
inline constexpr uint32_t kGatewayAnswerDelayMs = 10;
inline constexpr uint32_t kRemoteReplyMs = 30;

inline constexpr uint8_t kApiStart = 0x7E;
inline constexpr uint8_t kApiLocalCommand = 0x08;
inline constexpr uint8_t kApiFrameId = 0x52;
inline constexpr uint8_t kApiCommandResponse = 0x88;
inline constexpr uint8_t kApiResponseId = 0x01;

// The probe bytes through the link and their answers.
inline constexpr uint8_t kRowProbe = 0x80;
inline constexpr uint8_t kRowProbeAnswer = 0x90;
inline constexpr uint8_t kPageProbe = 0xC0;
inline constexpr uint8_t kPageProbeAnswer = 0xD0;

// The frames the program stores whole and sends after "<RP".
extern const std::vector<uint8_t> kPanIdFrame;
extern const std::vector<uint8_t> kChannelFrame;
extern const std::vector<uint8_t> kApiModeFrame;

// 0xFF less the low byte of the sum of the frame data.
uint8_t ApiChecksum(const uint8_t* data, size_t count);

// 7E, length, 88 01, the letters, status, `value`, checksum: 9 bytes with
// no value, 13 with four.
std::vector<uint8_t> ResponseFrame(std::string_view letters, uint8_t status, const std::vector<uint8_t>& value = {});
// `frame` as the fault leaves it; empty for a missing answer. The checksum
// follows the change, so only the scripted thing is wrong.
std::vector<uint8_t> WithFault(std::vector<uint8_t> frame, AnswerFault fault);
// The fault scripted for `key`, None when there is none.
AnswerFault FaultFor(const RadioOptions& options, const std::string& key);

// A value as its most significant byte first, `size` bytes; and back.
std::vector<uint8_t> BigEndian(uint64_t value, size_t size);
uint64_t FromBigEndian(const uint8_t* bytes, size_t size);

// The gateway's answer to "<V" (with CR) for an update variant.
std::string GatewayAnswerFor(int variant, const RadioOptions& options);

// "$ROVER,<id>,<SH>,<SL>,<PAN>,<CH>*<XX>\r", XX the XOR of everything
// between '$' and '*'.
std::string RoverParameterLine(char moduleId, uint64_t serial, uint16_t panId, uint8_t channel);

// Two decimal digits, as the length in "<@:S" and "<@:P"; none for others.
std::optional<size_t> TwoDigits(uint8_t tens, uint8_t units);

// How many value bytes a parameter takes, or none for one the radio does not
// know.
std::optional<size_t> ParameterSize(std::string_view letters);
// Sets a known parameter from its value; false for an unknown one.
bool SetParameter(RadioParameters& parameters, std::string_view letters, uint64_t value);
std::optional<uint64_t> GetParameter(const RadioParameters& parameters, std::string_view letters);

// Bytes as a trace shows them: "7E 00 06 ...".
std::string HexList(const std::vector<uint8_t>& bytes);
// A command or line as a trace shows it: in double quotes, printable
// characters as they are, others as <XX> ("<@:S04ID<33><32>", "7<0D>").
std::string ShowCommand(std::string_view bytes);
std::string ShowCommand(const std::vector<uint8_t>& bytes);

} // namespace tvqx::sim
