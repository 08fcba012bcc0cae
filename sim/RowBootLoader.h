#pragma once
// The device's row boot loader, as the update program meets it on the line:
// woken by the entry command, it answers its version and a ready character,
// then takes the firmware as Intel HEX records sent one at a time with no
// line end, pacing them with single flow-control characters: XON to ask for
// a record, XOFF while it works on one, '~' when the record is in its flash,
// '@' when the end-of-file record has arrived. It runs on the host's virtual
// time; every answer is released at the time of the byte that caused it plus
// the scripted delays.
//
// Faults are scripted up front in RowBootLoaderFaults so that each way a
// real unit misbehaves can be reproduced to the byte and to the millisecond.

#include "sim/BootLoaderEntry.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tvqx::sim {

// The row boot loader's side of the conversation.
inline constexpr uint32_t kRowBootBaud = 115200;
inline constexpr uint8_t kRowBootReady = '?';
inline constexpr uint8_t kRowXon = 0x11;
inline constexpr uint8_t kRowXoff = 0x13;
inline constexpr uint8_t kRowLineComplete = '~';
inline constexpr uint8_t kRowFileComplete = '@';
inline constexpr uint8_t kRowRejected = 0x15;   // NAK
inline constexpr size_t kRowFlashSize = 65536;

// A character of a record: `character` counts from 0 (the ':') within the
// record numbered `row`.
struct RowPosition {
    size_t row = 0;
    size_t character = 0;
};

// Rows are numbered from 0 in the order the unit takes them since its entry
// command, rejected ones included. The XON numbered k asks for row k (XON 0
// follows the ready character); the XOFF and '~' numbered k answer row k.
// Every option off, every delay 0, gives a healthy unit that keeps pace with
// the line alone.
struct RowBootLoaderFaults {
    // Added to the time of every answer: a slow device.
    uint32_t responseDelayMs = 0;
    // Pauses of a unit at work: between the version answer and '?', before
    // each XON, and between a row's XOFF and its '~' (writing the flash).
    uint32_t readyDelayMs = 0;
    uint32_t xonDelayMs = 0;
    uint32_t rowWriteMs = 0;

    // The entry command goes unnoticed: no version, nothing after it.
    bool ignoreEntryCommand = false;
    // Sent instead of kBootVersion (before the CR): a wrong, short or long
    // version.
    std::optional<std::string> versionText{};
    // The version answer (text and CR) in pieces with pauses between them.
    std::vector<AnswerPiece> versionPieces{};
    // The ready character: left out or replaced.
    bool omitReady = false;
    std::optional<uint8_t> readyByte{};

    // The bytes sent in place of one flow-control character, by number: none
    // leaves it out, another byte is a wrong one, many '@' make a storm.
    std::map<size_t, std::vector<uint8_t>> xonFor{};
    std::map<size_t, std::vector<uint8_t>> xoffFor{};
    std::map<size_t, std::vector<uint8_t>> lineCompleteFor{};
    // In place of '@' after the end-of-file record.
    std::optional<std::vector<uint8_t>> fileCompleteAnswer{};

    // The unit dies when this character arrives: neither it nor anything
    // after it is taken or answered until the power is cycled.
    std::optional<RowPosition> silentFrom{};

    // Line noise at fixed times.
    std::vector<TimedNoise> noiseAt{};
};

// A dead unit is Stage::Silent.
class RowBootLoader final : public BootLoaderDevice {
public:
    explicit RowBootLoader(RowBootLoaderFaults faults = {});

    // The boot loader leaves DSR down: that is how the program tells it
    // from the running application.
    bool Dsr() const override { return false; }

    const RowBootLoaderFaults& Faults() const { return m_faults; }

    // Survives power cycles; 0xFF where nothing was written.
    const std::vector<uint8_t>& Flash() const { return m_flash; }
    // Every record taken, as it arrived, across power cycles; and the
    // positions in that list of those answered NAK.
    const std::vector<std::string>& RowsReceived() const { return m_rowsReceived; }
    const std::vector<size_t>& RowsRejected() const { return m_rowsRejected; }
    // The end-of-file record was accepted (at any time since construction).
    bool UpdateComplete() const { return m_complete; }
    // Bytes that came while the unit was busy with a row, before its XON:
    // a program that does not wait for XON loses them.
    size_t BytesLostWhileBusy() const { return m_lostWhileBusy; }

private:
    void ResetProtocol() override;
    void OnEntryCommand(uint64_t nowMs) override;
    void TakeByte(uint8_t byte, uint64_t nowMs) override;
    void OnRecord(uint64_t nowMs);
    void Reject(uint64_t nowMs);
    // Sends a flow-control character or its scripted replacement; returns
    // when its last byte is (or would have been) due.
    uint64_t SendStep(const std::map<size_t, std::vector<uint8_t>>& replacements, size_t number,
                      uint8_t value, uint64_t dueMs);
    void AskForRow(uint64_t dueMs);
    // For the trace: "; " before each answer a fault replaced (`answers`,
    // then the XON asking for row m_rowIndex), or empty.
    std::string Deviations(std::vector<std::string> answers) const;

    RowBootLoaderFaults m_faults;
    std::string m_record;
    size_t m_rowIndex = 0;
    // The next record may start once the XON asking for it is out.
    uint64_t m_readyAtMs = 0;
    // A record that could not even be measured was refused at once; the
    // rest of it is skipped up to the next ':'.
    bool m_skipping = false;

    std::vector<uint8_t> m_flash;
    std::vector<std::string> m_rowsReceived;
    std::vector<size_t> m_rowsRejected;
    bool m_complete = false;
    size_t m_lostWhileBusy = 0;
};

} // namespace tvqx::sim
