#pragma once
// The device's page boot loader, as the update program meets it on the line:
// woken by the entry command, it answers its version and a ready byte, then
// takes pages of 128 bytes (256 on the units updated in two phases) into its
// flash, each framed by its number and checksum, answering every one, until
// the end marker. It runs on the host's virtual time; every answer
// is released at the time of the byte that caused it plus a response delay.
//
// Faults are scripted up front in PageBootLoaderFaults so that each way a real
// unit misbehaves can be reproduced to the byte and to the millisecond.

#include "sim/BootLoaderEntry.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tvqx::sim {

// The page boot loader's side of the conversation.
inline constexpr uint8_t kBootReady = '!';
inline constexpr uint8_t kBootPageAccepted = '!';
inline constexpr uint8_t kBootPageResend = '@';
inline constexpr uint8_t kBootEndMarkerByte = 0xFF;
inline constexpr uint32_t kBootBaud = 9600;
inline constexpr size_t kBootPageSize = 128;
inline constexpr size_t kBootLargePageSize = 256;
inline constexpr size_t kBootFlashSize = 65536;
inline constexpr size_t kBootPageCount = kBootFlashSize / kBootPageSize;

// Every option off gives a healthy boot loader.
struct PageBootLoaderFaults {
    // Added to the time of every answer: a slow device.
    uint32_t responseDelayMs = 0;

    // The entry command goes unnoticed: no version, no ready byte, no pages.
    bool ignoreEntryCommand = false;
    // Sent instead of kBootVersion (before the CR): a wrong, short (11),
    // long (13) or lower-case version.
    std::optional<std::string> versionText{};
    // The version answer (text and CR) in pieces with pauses between them;
    // bytes left over after the last piece follow it at once.
    std::vector<AnswerPiece> versionPieces{};

    // The ready byte: left out, replaced, and optionally followed by '!'.
    bool omitReady = false;
    std::optional<uint8_t> readyByte{};
    bool readyAfterWrongByte = false;
    // Pause between the end of the version answer and the ready byte.
    uint32_t readyDelayMs = 0;

    // Page p is answered '@' this many times (and not written) before it is
    // accepted.
    std::map<uint16_t, unsigned> resendsForPage{};
    // Page p is written, but answered with this byte instead of '!'.
    std::map<uint16_t, uint8_t> pageAnswerByte{};
    // The device hangs when page p arrives: neither that page nor anything
    // after it is written or answered.
    std::optional<uint16_t> hangAtPage{};

    // Line noise at fixed times.
    std::vector<TimedNoise> noiseAt{};
    // Noise sent just before an answer, keyed by the answer's number in the
    // order the device gives its answers: 0 the version answer, 1 the ready
    // byte, 2 the first page answer, and so on (the end-marker answer too).
    std::map<size_t, std::vector<uint8_t>> noiseBeforeAnswer{};

    // What follows the end marker: one byte, or nothing at all.
    uint8_t endMarkerAnswer = '!';
    bool silentAfterEndMarker = false;
};

// A hung unit is Stage::Silent.
class PageBootLoader final : public BootLoaderDevice {
public:
    // `pageSize` is kBootPageSize or kBootLargePageSize; the flash is the
    // same 64 KiB either way.
    explicit PageBootLoader(PageBootLoaderFaults faults = {}, size_t pageSize = kBootPageSize);

    // A powered unit drives DSR.
    bool Dsr() const override { return Powered(); }

    const PageBootLoaderFaults& Faults() const { return m_faults; }
    size_t PageSize() const { return m_pageSize; }
    // Pages that fit the flash; higher page numbers are refused.
    size_t PageCount() const { return kBootFlashSize / m_pageSize; }

    // Survives power cycles; 0xFF where nothing was written.
    const std::vector<uint8_t>& Flash() const { return m_flash; }
    // Page numbers of every complete frame, and of those written to flash,
    // in arrival order.
    const std::vector<uint16_t>& PagesReceived() const { return m_pagesReceived; }
    const std::vector<uint16_t>& PagesWritten() const { return m_pagesWritten; }
    bool EndMarkerReceived() const { return m_endMarker; }

private:
    void ResetProtocol() override;
    void OnEntryCommand(uint64_t nowMs) override;
    void TakeByte(uint8_t byte, uint64_t nowMs) override;
    void OnEndMarker(uint64_t nowMs);
    void OnPage(uint64_t nowMs);

    PageBootLoaderFaults m_faults;
    size_t m_pageSize;
    std::vector<uint8_t> m_frame;
    std::map<uint16_t, unsigned> m_resendsGiven;
    // Since power-up, for the trace: the last page that came and how often
    // in a row, and how many pages were written before it.
    std::optional<uint16_t> m_lastPage;
    unsigned m_repeats = 0;
    size_t m_writtenAtPowerUp = 0;

    std::vector<uint8_t> m_flash;
    std::vector<uint16_t> m_pagesReceived;
    std::vector<uint16_t> m_pagesWritten;
    bool m_endMarker = false;
};

} // namespace tvqx::sim
