#include "sim/pty/RowWatch.h"

#include "sim/RowRecord.h"

#include <cstdio>

namespace tvqx::sim {

namespace {

std::string Hex16(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

} // namespace

std::string WhyRecordRefused(const std::string& record, size_t flashSize)
{
    const RowRecord read = ReadRowRecord(record, flashSize);
    switch (read.refusal) {
    case RowRecord::Refusal::None: return "";
    case RowRecord::Refusal::NotARecord:
        return "not a record: starts with " + ShowByte(record.empty() ? 0 : static_cast<uint8_t>(record[0]));
    case RowRecord::Refusal::NoLength: return "no readable length";
    case RowRecord::Refusal::NotHex: return "not hex digits";
    case RowRecord::Refusal::BadChecksum: return "bad checksum";
    case RowRecord::Refusal::BeyondFlash: return "beyond the flash";
    case RowRecord::Refusal::UnknownType: break;
    }
    char text[40];
    std::snprintf(text, sizeof text, "record type 0x%02X unknown", HexByteAt(record, 7));
    return text;
}

RowWatch::RowWatch(const RowBootLoader& device, DevsimTrace& trace)
    : m_device(device),
      m_trace(trace),
      m_stage(device.CurrentStage()),
      m_entries(device.EntryCount()),
      m_rows(device.RowsReceived().size()),
      m_rowsAtEntry(m_rows)
{
}

void RowWatch::PoweredOn()
{
    m_stage = m_device.CurrentStage();
    m_rowsAtEntry = m_rows = m_device.RowsReceived().size();
    m_ignoredEntry.Clear();
    m_complete = false;
}

void RowWatch::AfterByte(uint8_t byte, uint64_t nowNs)
{
    if (m_device.Faults().ignoreEntryCommand && m_device.CurrentStage() == RowBootLoader::Stage::AwaitingEntry
        && m_ignoredEntry.Push(byte))
        m_trace.Line(nowNs, "entry command received: ignored (--no-answer)");
    if (m_device.EntryCount() != m_entries) {
        m_entries = m_device.EntryCount();
        OnEntry(nowNs);
    }
    if (m_device.RowsReceived().size() != m_rows)
        OnRow(nowNs);

    const RowBootLoader::Stage stage = m_device.CurrentStage();
    if (stage != m_stage && stage == RowBootLoader::Stage::Dead) {
        const size_t row = m_rows - m_rowsAtEntry + 1;
        // The character that killed it was the last one heard, and the
        // record so far is everything heard since the last one taken.
        const size_t character = m_device.Faults().silentFrom ? m_device.Faults().silentFrom->character + 1 : 0;
        m_trace.Line(nowNs, "row " + std::to_string(row) + ", character " + std::to_string(character)
                                + ": the device goes silent, nothing taken or answered from here on"
                                  " (--silent-at-row)");
    }
    m_stage = stage;
}

void RowWatch::OnEntry(uint64_t nowNs)
{
    const RowBootLoaderFaults& faults = m_device.Faults();
    m_rowsAtEntry = m_rows = m_device.RowsReceived().size();
    m_trace.Line(nowNs, "entry command received");
    m_trace.Line(nowNs, VersionAnswerLine(faults.versionText, faults.versionPieces, faults.responseDelayMs));
    if (faults.omitReady) {
        m_trace.Line(nowNs, "no ready character sent (--no-ready)");
        return;
    }
    std::string ready = "ready sent: " + ShowByte(faults.readyByte.value_or(kRowBootReady));
    if (faults.readyDelayMs)
        ready += ", " + std::to_string(faults.readyDelayMs) + " ms after the version";
    const std::string xon = Deviation(faults.xonFor, 0, "XON");
    ready += xon.empty() ? ", then XON for row 1" : "; " + xon + " for row 1";
    m_trace.Line(nowNs, ready);
}

void RowWatch::OnRow(uint64_t nowNs)
{
    const RowBootLoaderFaults& faults = m_device.Faults();
    m_rows = m_device.RowsReceived().size();
    const size_t index = m_rows - 1 - m_rowsAtEntry;   // the unit's own count, from 0
    const std::string row = "row " + std::to_string(index + 1);
    const std::string& record = m_device.RowsReceived().back();
    const bool rejected = !m_device.RowsRejected().empty() && m_device.RowsRejected().back() == m_rows - 1;

    std::string deviations;
    const auto add = [&](const std::string& text) {
        if (!text.empty())
            deviations += "; " + text;
    };
    if (rejected) {
        const auto xoff = faults.xoffFor.find(index);
        add(Deviation(faults.xonFor, index + 1, "XON"));
        m_trace.Line(nowNs, row + " refused (" + WhyRecordRefused(record, kRowFlashSize) + "): answered "
                                + (xoff == faults.xoffFor.end() ? "XOFF" : ShowBytes(xoff->second)) + ", NAK"
                                + deviations);
        return;
    }
    if (m_device.CurrentStage() == RowBootLoader::Stage::Done) {
        m_complete = true;
        std::string text = row + ": end-of-file record, file complete; ";
        if (!faults.fileCompleteAnswer)
            text += "answering '@'";
        else if (faults.fileCompleteAnswer->empty())
            text += "no answer (--silent-after-end)";
        else
            text += "answering " + ShowBytes(*faults.fileCompleteAnswer) + " (--end-answer)";
        m_trace.Line(nowNs, text);
        return;
    }

    const int count = HexByteAt(record, 1);
    const int type = HexByteAt(record, 7);
    std::string text = row + ": ";
    if (type == 0)
        text += std::to_string(count) + (count == 1 ? " byte at " : " bytes at ")
                + Hex16(static_cast<unsigned>(HexByteAt(record, 3) << 8 | HexByteAt(record, 5))) + " written";
    else
        text += "address record, nothing to write";
    add(Deviation(faults.xoffFor, index, "XOFF"));
    add(Deviation(faults.lineCompleteFor, index, "'~'"));
    add(Deviation(faults.xonFor, index + 1, "XON"));
    if (deviations.empty())
        m_trace.RoutineLine(nowNs, text);
    else
        m_trace.Line(nowNs, text + deviations);
}

std::string RowWatch::Deviation(const std::map<size_t, std::vector<uint8_t>>& replacements, size_t number,
                                const char* name) const
{
    const auto replaced = replacements.find(number);
    if (replaced == replacements.end())
        return {};
    if (replaced->second.empty())
        return std::string("no ") + name;
    return ShowBytes(replaced->second) + " instead of " + name;
}

} // namespace tvqx::sim
