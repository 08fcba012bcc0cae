#include "sim/PageBootLoader.h"

#include <cstring>
#include <utility>

namespace tvqx::sim {

namespace {

constexpr size_t kEntryLength = sizeof(kBootEntryCommand) - 1;

} // namespace

PageBootLoader::PageBootLoader(PageBootLoaderFaults faults, size_t pageSize)
    : m_faults(std::move(faults)),
      m_pageSize(pageSize ? pageSize : kBootPageSize),
      m_line(kBootBaud, m_faults.noiseAt),
      m_entryWindow(kEntryLength),
      m_flash(kBootFlashSize, 0xFF)
{
    m_line.SetNoiseBeforeAnswer(m_faults.noiseBeforeAnswer);
}

void PageBootLoader::SetPower(bool dtr, bool rts, uint64_t nowMs)
{
    const bool on = dtr && rts;
    if (!m_line.SetPower(on, nowMs))
        return;
    // A fresh supply starts the boot loader from the top.
    ResetProtocol();
    m_stage = on ? Stage::AwaitingEntry : Stage::Off;
}

void PageBootLoader::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    m_line.SetLineSpeed(baud, nowMs);
}

void PageBootLoader::ResetProtocol()
{
    m_entryWindow.Clear();
    m_frame.clear();
    m_resendsGiven.clear();
}

void PageBootLoader::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    for (size_t i = 0; i < count; ++i)
        if (m_line.Hear(data[i], nowMs))
            HandleByte(data[i], nowMs);
}

void PageBootLoader::HandleByte(uint8_t byte, uint64_t nowMs)
{
    switch (m_stage) {
    case Stage::AwaitingEntry:
        m_entryWindow.Push(byte);
        if (m_entryWindow.EndsWith(kBootEntryCommand)) {
            m_entryWindow.Clear();
            OnEntryCommand(nowMs);
        }
        break;
    case Stage::ReceivingPages:
        m_frame.push_back(byte);
        if (m_frame.size() == 2 && m_frame[0] == kBootEndMarkerByte && m_frame[1] == kBootEndMarkerByte)
            OnEndMarker(nowMs);
        else if (m_frame.size() == 2 + m_pageSize + 1)
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
    const uint64_t due =
        m_line.AnswerInPieces(version, m_faults.versionPieces, nowMs + m_faults.responseDelayMs);

    if (m_faults.omitReady)
        return;
    std::vector<uint8_t> ready{m_faults.readyByte.value_or(kBootReady)};
    if (m_faults.readyByte && m_faults.readyAfterWrongByte)
        ready.push_back(kBootReady);
    m_line.Answer(ready, due + m_faults.readyDelayMs);
}

void PageBootLoader::OnEndMarker(uint64_t nowMs)
{
    m_frame.clear();
    m_endMarker = true;
    m_stage = Stage::Done;
    if (!m_faults.silentAfterEndMarker)
        m_line.Answer({m_faults.endMarkerAnswer}, nowMs + m_faults.responseDelayMs);
}

void PageBootLoader::OnPage(uint64_t nowMs)
{
    const uint16_t page = static_cast<uint16_t>((m_frame[0] << 8) | m_frame[1]);
    const uint8_t* data = m_frame.data() + 2;
    uint8_t sum = 0;
    for (size_t i = 0; i < m_pageSize; ++i)
        sum = static_cast<uint8_t>(sum + data[i]);
    const bool checksumOk = sum == m_frame.back();

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
    if (checksumOk && !resendWanted && page < PageCount()) {
        std::memcpy(m_flash.data() + size_t{page} * m_pageSize, data, m_pageSize);
        m_pagesWritten.push_back(page);
        const auto custom = m_faults.pageAnswerByte.find(page);
        answer = custom != m_faults.pageAnswerByte.end() ? custom->second : kBootPageAccepted;
    } else if (checksumOk && resendWanted) {
        ++resends;
    }
    m_frame.clear();
    m_line.Answer({answer}, nowMs + m_faults.responseDelayMs);
}

void PageBootLoader::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    m_line.Collect(nowMs, out);
}

} // namespace tvqx::sim
