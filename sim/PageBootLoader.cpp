#include "sim/PageBootLoader.h"

#include <cstring>
#include <utility>

namespace tvqx::sim {

PageBootLoader::PageBootLoader(PageBootLoaderFaults faults, size_t pageSize)
    : BootLoaderDevice(kBootBaud, faults.noiseAt),
      m_faults(std::move(faults)),
      m_pageSize(pageSize ? pageSize : kBootPageSize),
      m_flash(kBootFlashSize, 0xFF)
{
    m_line.SetNoiseBeforeAnswer(m_faults.noiseBeforeAnswer);
}

void PageBootLoader::ResetProtocol()
{
    m_frame.clear();
    m_resendsGiven.clear();
    m_lastPage.reset();
    m_repeats = 0;
    m_writtenAtPowerUp = m_pagesWritten.size();
}

void PageBootLoader::TakeByte(uint8_t byte, uint64_t nowMs)
{
    m_frame.push_back(byte);
    if (m_frame.size() == 2 && m_frame[0] == kBootEndMarkerByte && m_frame[1] == kBootEndMarkerByte)
        OnEndMarker(nowMs);
    else if (m_frame.size() == 2 + m_pageSize + 1)
        OnPage(nowMs);
}

void PageBootLoader::OnEntryCommand(uint64_t nowMs)
{
    const std::optional<uint64_t> due = AcceptEntry(m_faults, nowMs);
    if (!due)
        return;
    if (m_faults.omitReady)
        return Tell(nowMs, "no ready byte sent (--no-ready)");
    std::vector<uint8_t> ready{m_faults.readyByte.value_or(kBootReady)};
    if (m_faults.readyByte && m_faults.readyAfterWrongByte)
        ready.push_back(kBootReady);
    m_line.Answer(ready, *due + m_faults.readyDelayMs);
    std::string told = "ready sent: " + ShowByte(ready.front()) + (ready.size() > 1 ? " then '!'" : "");
    if (m_faults.readyDelayMs)
        told += ", " + std::to_string(m_faults.readyDelayMs) + " ms after the version";
    Tell(nowMs, told);
}

void PageBootLoader::OnEndMarker(uint64_t nowMs)
{
    m_frame.clear();
    m_endMarker = true;
    m_stage = Stage::Done;
    std::string told =
        "end marker received: " + std::to_string(m_pagesWritten.size() - m_writtenAtPowerUp) + " pages written";
    if (m_faults.silentAfterEndMarker) {
        told += "; no answer (--silent-after-end)";
    } else {
        m_line.Answer({m_faults.endMarkerAnswer}, nowMs + m_faults.responseDelayMs);
        told += "; answering " + ShowByte(m_faults.endMarkerAnswer);
    }
    Tell(nowMs, told, TraceKind::Completed);
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
    const std::string name = "page " + std::to_string(page);
    m_repeats = m_lastPage == page ? m_repeats + 1 : 0;
    m_lastPage = page;
    if (m_repeats)
        Tell(nowMs, name + " sent again (resend " + std::to_string(m_repeats) + ")");
    std::string told = name + ": checksum " + (checksumOk ? "ok" : "bad");
    if (m_faults.hangAtPage && page == *m_faults.hangAtPage) {
        m_stage = Stage::Silent;
        m_frame.clear();
        return Tell(nowMs, told + "; device hangs, no answer from here on (--hang-at-page)");
    }

    uint8_t answer = kBootPageResend;
    unsigned& resends = m_resendsGiven[page];
    const auto wanted = m_faults.resendsForPage.find(page);
    const bool resendWanted = wanted != m_faults.resendsForPage.end() && resends < wanted->second;
    // Pages beyond the flash are refused rather than wrapped: a wrapped page
    // would silently overwrite the start of the image.
    const bool written = checksumOk && !resendWanted && page < PageCount();
    if (written) {
        std::memcpy(m_flash.data() + size_t{page} * m_pageSize, data, m_pageSize);
        m_pagesWritten.push_back(page);
        const auto custom = m_faults.pageAnswerByte.find(page);
        answer = custom != m_faults.pageAnswerByte.end() ? custom->second : kBootPageAccepted;
    } else if (checksumOk && resendWanted) {
        ++resends;
    }
    m_frame.clear();
    m_line.Answer({answer}, nowMs + m_faults.responseDelayMs);

    told += std::string(written ? ", written" : ", not written") + ", answered " + ShowByte(answer);
    if (!written && checksumOk)
        told += page >= PageCount() ? " (beyond the flash)" : " (--resend)";
    Tell(nowMs, told, checksumOk && answer == kBootPageAccepted ? TraceKind::Routine : TraceKind::Notable);
}

} // namespace tvqx::sim
