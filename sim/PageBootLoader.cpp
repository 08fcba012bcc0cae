#include "sim/PageBootLoader.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace tvqx::sim {

namespace {

constexpr size_t kEntryLength = sizeof(kBootEntryCommand) - 1;
constexpr size_t kFrameLength = 2 + kBootPageSize + 1;

// What a byte sent at 9600 baud looks like to a receiver at another speed:
// framing garbage, never anything the protocol could mistake for an answer.
uint8_t Garbled(uint8_t value)
{
    return (value & 1) ? 0xFE : 0x00;
}

} // namespace

PageBootLoader::PageBootLoader(PageBootLoaderFaults faults)
    : m_faults(std::move(faults)), m_flash(kBootFlashSize, 0xFF)
{
    for (const TimedNoise& noise : m_faults.noiseAt)
        for (uint8_t b : noise.bytes)
            m_lineNoise.push_back({noise.atMs, b});
    std::stable_sort(m_lineNoise.begin(), m_lineNoise.end(),
                     [](const Outgoing& a, const Outgoing& b) { return a.dueMs < b.dueMs; });
}

void PageBootLoader::SetPower(bool dtr, bool rts, uint64_t nowMs)
{
    const bool on = dtr && rts;
    if (on == Powered())
        return;
    m_powerEvents.push_back({nowMs, on});
    // Whatever the unit was about to send dies with its supply; a fresh
    // supply starts the boot loader from the top.
    m_out.clear();
    ResetProtocol();
    m_stage = on ? Stage::AwaitingEntry : Stage::Off;
}

void PageBootLoader::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    m_speedMatches = baud == kBootBaud;
    m_speedHistory[nowMs] = m_speedMatches;
}

bool PageBootLoader::SpeedMatchedAt(uint64_t timeMs) const
{
    auto it = m_speedHistory.upper_bound(timeMs);
    return it == m_speedHistory.begin() || std::prev(it)->second;
}

void PageBootLoader::ResetProtocol()
{
    m_entryWindow.clear();
    m_frame.clear();
    m_resendsGiven.clear();
    m_answersGiven = 0;
}

void PageBootLoader::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    for (size_t i = 0; i < count; ++i) {
        m_received.push_back({nowMs, data[i]});
        if (Powered() && m_speedMatches)
            HandleByte(data[i], nowMs);
    }
}

void PageBootLoader::HandleByte(uint8_t byte, uint64_t nowMs)
{
    switch (m_stage) {
    case Stage::AwaitingEntry:
        // A sliding window, so that any bytes before the command (or a
        // broken first attempt) do not hide it.
        m_entryWindow.push_back(static_cast<char>(byte));
        if (m_entryWindow.size() > kEntryLength)
            m_entryWindow.erase(0, m_entryWindow.size() - kEntryLength);
        if (m_entryWindow == kBootEntryCommand) {
            m_entryWindow.clear();
            OnEntryCommand(nowMs);
        }
        break;
    case Stage::ReceivingPages:
        m_frame.push_back(byte);
        if (m_frame.size() == 2 && m_frame[0] == kBootEndMarkerByte
            && m_frame[1] == kBootEndMarkerByte)
            OnEndMarker(nowMs);
        else if (m_frame.size() == kFrameLength)
            OnPage(nowMs);
        break;
    case Stage::Off:
    case Stage::Done:
    case Stage::Hung:
        break;
    }
}

void PageBootLoader::OnEntryCommand(uint64_t nowMs)
{
    if (m_faults.ignoreEntryCommand)
        return;
    ++m_entries;
    m_stage = Stage::ReceivingPages;
    m_frame.clear();

    const std::string text = m_faults.versionText.value_or(kBootVersion);
    std::vector<uint8_t> version(text.begin(), text.end());
    version.push_back(kBootVersionEnd);

    uint64_t due = nowMs + m_faults.responseDelayMs;
    if (m_faults.versionPieces.empty()) {
        due = Answer(version, due);
    } else {
        BeginAnswer(due);
        size_t offset = 0;
        for (const AnswerPiece& piece : m_faults.versionPieces) {
            due += piece.delayMs;
            for (size_t i = 0; i < piece.byteCount && offset < version.size(); ++i)
                Queue(version[offset++], due);
        }
        while (offset < version.size())
            Queue(version[offset++], due);
        due = m_lastDueMs;
    }

    if (m_faults.omitReady)
        return;
    std::vector<uint8_t> ready{m_faults.readyByte.value_or(kBootReady)};
    if (m_faults.readyByte && m_faults.readyAfterWrongByte)
        ready.push_back(kBootReady);
    Answer(ready, due + m_faults.readyDelayMs);
}

void PageBootLoader::OnEndMarker(uint64_t nowMs)
{
    m_frame.clear();
    m_endMarker = true;
    m_stage = Stage::Done;
    if (!m_faults.silentAfterEndMarker)
        Answer({m_faults.endMarkerAnswer}, nowMs + m_faults.responseDelayMs);
}

void PageBootLoader::OnPage(uint64_t nowMs)
{
    const uint16_t page = static_cast<uint16_t>((m_frame[0] << 8) | m_frame[1]);
    const uint8_t* data = m_frame.data() + 2;
    uint8_t sum = 0;
    for (size_t i = 0; i < kBootPageSize; ++i)
        sum = static_cast<uint8_t>(sum + data[i]);
    const bool checksumOk = sum == m_frame[kFrameLength - 1];

    m_pagesReceived.push_back(page);
    if (m_faults.hangAtPage && page == *m_faults.hangAtPage) {
        m_stage = Stage::Hung;
        m_frame.clear();
        return;
    }

    uint8_t answer = kBootPageResend;
    unsigned& resends = m_resendsGiven[page];
    const auto wanted = m_faults.resendsForPage.find(page);
    const bool resendWanted = wanted != m_faults.resendsForPage.end() && resends < wanted->second;
    // Pages beyond the flash are refused rather than wrapped: a wrapped page
    // would silently overwrite the start of the image.
    if (checksumOk && !resendWanted && page < kBootPageCount) {
        std::memcpy(m_flash.data() + size_t{page} * kBootPageSize, data, kBootPageSize);
        m_pagesWritten.push_back(page);
        const auto custom = m_faults.pageAnswerByte.find(page);
        answer = custom != m_faults.pageAnswerByte.end() ? custom->second : kBootPageAccepted;
    } else if (checksumOk && resendWanted) {
        ++resends;
    }
    m_frame.clear();
    Answer({answer}, nowMs + m_faults.responseDelayMs);
}

void PageBootLoader::BeginAnswer(uint64_t dueMs)
{
    const auto noise = m_faults.noiseBeforeAnswer.find(m_answersGiven);
    if (noise != m_faults.noiseBeforeAnswer.end())
        for (uint8_t b : noise->second)
            Queue(b, dueMs);
    ++m_answersGiven;
}

uint64_t PageBootLoader::Answer(const std::vector<uint8_t>& bytes, uint64_t dueMs)
{
    BeginAnswer(dueMs);
    for (uint8_t b : bytes)
        Queue(b, dueMs);
    return m_lastDueMs;
}

void PageBootLoader::Queue(uint8_t value, uint64_t dueMs)
{
    // One transmitter: a byte never overtakes one queued before it.
    if (!m_out.empty())
        dueMs = std::max(dueMs, m_lastDueMs);
    m_lastDueMs = dueMs;
    m_out.push_back({dueMs, value});
}

void PageBootLoader::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    for (;;) {
        const bool deviceDue = !m_out.empty() && m_out.front().dueMs <= nowMs;
        const bool noiseDue = !m_lineNoise.empty() && m_lineNoise.front().dueMs <= nowMs;
        if (!deviceDue && !noiseDue)
            return;
        std::deque<Outgoing>& from =
            deviceDue && (!noiseDue || m_out.front().dueMs <= m_lineNoise.front().dueMs)
                ? m_out
                : m_lineNoise;
        const Outgoing byte = from.front();
        from.pop_front();
        out.push_back(&from == &m_out && !SpeedMatchedAt(byte.dueMs) ? Garbled(byte.value)
                                                                     : byte.value);
    }
    // Only the speed in force from now on can still matter.
    while (m_speedHistory.size() > 1 && std::next(m_speedHistory.begin())->first <= nowMs)
        m_speedHistory.erase(m_speedHistory.begin());
}

} // namespace tvqx::sim
