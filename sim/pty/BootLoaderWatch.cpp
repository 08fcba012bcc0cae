#include "sim/pty/BootLoaderWatch.h"

namespace tvqx::sim {

BootLoaderWatch::BootLoaderWatch(const PageBootLoader& device, DevsimTrace& trace)
    : m_device(device),
      m_trace(trace),
      m_stage(device.CurrentStage()),
      m_entries(device.EntryCount()),
      m_pagesReceived(device.PagesReceived().size()),
      m_pagesWritten(device.PagesWritten().size()),
      m_pagesWrittenAtPowerOn(m_pagesWritten)
{
}

void BootLoaderWatch::PoweredOn()
{
    m_stage = m_device.CurrentStage();
    m_pagesWrittenAtPowerOn = m_device.PagesWritten().size();
    m_ignoredEntry.Clear();
    m_endMarker = false;
    m_havePreviousPage = false;
    m_repeats = 0;
}

size_t BootLoaderWatch::PagesWrittenThisSession() const
{
    return m_device.PagesWritten().size() - m_pagesWrittenAtPowerOn;
}

void BootLoaderWatch::AfterByte(uint8_t byte, uint64_t nowNs)
{
    const PageBootLoaderFaults& faults = m_device.Faults();
    if (faults.ignoreEntryCommand && m_device.CurrentStage() == PageBootLoader::Stage::AwaitingEntry
        && m_ignoredEntry.Push(byte))
        m_trace.Line(nowNs, "entry command received: ignored (--no-answer)");
    if (m_device.EntryCount() != m_entries) {
        m_entries = m_device.EntryCount();
        OnEntry(nowNs);
    }
    if (m_device.PagesReceived().size() != m_pagesReceived)
        OnPage(nowNs);
    m_pagesWritten = m_device.PagesWritten().size();

    const PageBootLoader::Stage stage = m_device.CurrentStage();
    if (stage != m_stage && stage == PageBootLoader::Stage::Done) {
        m_endMarker = true;
        std::string text = "end marker received: " + std::to_string(PagesWrittenThisSession())
                           + " pages written";
        text += faults.silentAfterEndMarker ? "; no answer (--silent-after-end)"
                                            : "; answering " + ShowByte(faults.endMarkerAnswer);
        m_trace.Line(nowNs, text);
    }
    m_stage = stage;
}

void BootLoaderWatch::OnEntry(uint64_t nowNs)
{
    const PageBootLoaderFaults& faults = m_device.Faults();
    m_trace.Line(nowNs, "entry command received");
    m_trace.Line(nowNs, VersionAnswerLine(faults.versionText, faults.versionPieces, faults.responseDelayMs));
    if (faults.omitReady) {
        m_trace.Line(nowNs, "no ready byte sent (--no-ready)");
        return;
    }
    std::string ready = "ready sent: " + ShowByte(faults.readyByte.value_or(kBootReady));
    if (faults.readyByte && faults.readyAfterWrongByte)
        ready += " then '!'";
    if (faults.readyDelayMs)
        ready += ", " + std::to_string(faults.readyDelayMs) + " ms after the version";
    m_trace.Line(nowNs, ready);
}

void BootLoaderWatch::OnPage(uint64_t nowNs)
{
    m_pagesReceived = m_device.PagesReceived().size();
    const uint16_t page = m_device.PagesReceived().back();

    // The frame is the last bytes the device took in: this watch is called
    // after every single byte.
    const size_t pageSize = m_device.PageSize();
    const auto& received = m_device.Received();
    uint8_t sum = 0;
    const size_t first = received.size() - (2 + pageSize + 1);
    for (size_t i = first + 2; i < first + 2 + pageSize; ++i)
        sum = static_cast<uint8_t>(sum + received[i].value);
    const bool checksumOk = sum == received.back().value;

    if (m_havePreviousPage && page == m_previousPage) {
        ++m_repeats;
        m_trace.Line(nowNs, "page " + std::to_string(page) + " sent again (resend "
                                + std::to_string(m_repeats) + ")");
    } else {
        m_repeats = 0;
    }
    m_havePreviousPage = true;
    m_previousPage = page;

    std::string text = "page " + std::to_string(page) + ": checksum " + (checksumOk ? "ok" : "bad");
    if (m_device.CurrentStage() == PageBootLoader::Stage::Hung) {
        m_trace.Line(nowNs, text + "; device hangs, no answer from here on (--hang-at-page)");
        return;
    }
    const bool written = m_device.PagesWritten().size() != m_pagesWritten;
    uint8_t answer = kBootPageResend;
    if (written) {
        const auto custom = m_device.Faults().pageAnswerByte.find(page);
        answer = custom != m_device.Faults().pageAnswerByte.end() ? custom->second : kBootPageAccepted;
    }
    text += written ? ", written" : ", not written";
    text += ", answered " + ShowByte(answer);
    if (!written && checksumOk && page >= m_device.PageCount())
        text += " (beyond the flash)";
    else if (!written && checksumOk)
        text += " (--resend)";
    // --quiet leaves out only the pages that went as they should.
    if (checksumOk && answer == kBootPageAccepted)
        m_trace.RoutineLine(nowNs, text);
    else
        m_trace.Line(nowNs, text);
}

} // namespace tvqx::sim
