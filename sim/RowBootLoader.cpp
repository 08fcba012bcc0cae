#include "sim/RowBootLoader.h"

#include "sim/RowRecord.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace tvqx::sim {

namespace {

// ':' LL AAAA TT .. CC: everything but the data is 11 characters.
constexpr size_t kRecordOverhead = 11;

// What the unit sent in place of flow-control character `number` of the
// kind `name`, when a fault replaced it; empty when it sent the character.
std::string Deviation(const std::map<size_t, std::vector<uint8_t>>& replacements, size_t number, const char* name)
{
    const auto replaced = replacements.find(number);
    if (replaced == replacements.end())
        return {};
    if (replaced->second.empty())
        return std::string("no ") + name;
    return ShowBytes(replaced->second) + " instead of " + name;
}

std::string Hex16(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

} // namespace

RowBootLoader::RowBootLoader(RowBootLoaderFaults faults)
    : BootLoaderDevice(kRowBootBaud, faults.noiseAt), m_faults(std::move(faults)), m_flash(kRowFlashSize, 0xFF)
{
}

void RowBootLoader::ResetProtocol()
{
    m_record.clear();
    m_rowIndex = 0;
    m_readyAtMs = 0;
    m_skipping = false;
}

void RowBootLoader::OnEntryCommand(uint64_t nowMs)
{
    const std::optional<uint64_t> due = AcceptEntry(m_faults, nowMs);
    if (!due)
        return;
    m_readyAtMs = *due;
    if (m_faults.omitReady)
        return Tell(nowMs, "no ready character sent (--no-ready)");
    const uint8_t ready = m_faults.readyByte.value_or(kRowBootReady);
    AskForRow(m_line.Answer({ready}, *due + m_faults.readyDelayMs));
    std::string told = "ready sent: " + ShowByte(ready);
    if (m_faults.readyDelayMs)
        told += ", " + std::to_string(m_faults.readyDelayMs) + " ms after the version";
    const std::string xon = Deviation(m_faults.xonFor, 0, "XON");
    Tell(nowMs, told + (xon.empty() ? ", then XON for row 1" : "; " + xon + " for row 1"));
}

void RowBootLoader::TakeByte(uint8_t byte, uint64_t nowMs)
{
    if (nowMs < m_readyAtMs) {
        ++m_lostWhileBusy;
        return;
    }
    if (!m_skipping && m_faults.silentFrom && m_faults.silentFrom->row == m_rowIndex
        && m_faults.silentFrom->character == m_record.size()) {
        m_stage = Stage::Silent;
        Tell(nowMs, "row " + std::to_string(m_rowIndex + 1) + ", character " + std::to_string(m_record.size() + 1)
                        + ": the device goes silent, nothing taken or answered from here on (--silent-at-row)");
        return;
    }
    if (m_record.empty() && byte != ':') {
        if (!m_skipping) {
            m_record.push_back(static_cast<char>(byte));
            m_rowsReceived.push_back(m_record);
            Reject(nowMs);
            m_skipping = true;
        }
        return;
    }
    m_skipping = false;
    m_record.push_back(static_cast<char>(byte));
    if (m_record.size() < 3)
        return;
    // The byte count tells how long the record is; without it the unit
    // cannot tell where the record ends.
    const int count = HexByteAt(m_record, 1);
    if (count < 0) {
        m_rowsReceived.push_back(m_record);
        Reject(nowMs);
        m_skipping = true;
        return;
    }
    if (m_record.size() == kRecordOverhead + 2 * size_t(count)) {
        m_rowsReceived.push_back(m_record);
        OnRecord(nowMs);
    }
}

void RowBootLoader::OnRecord(uint64_t nowMs)
{
    const RowRecord record = ReadRowRecord(m_record, m_flash.size());
    if (!record.Taken())
        return Reject(nowMs);

    const std::string row = "row " + std::to_string(m_rowIndex + 1) + ": ";
    const uint64_t due = nowMs + m_faults.responseDelayMs;
    m_record.clear();
    if (record.Type() == kRecordEndOfFile) {
        m_stage = Stage::Done;
        m_complete = true;
        const auto& answer = m_faults.fileCompleteAnswer;
        m_line.Answer(answer.value_or(std::vector<uint8_t>{kRowFileComplete}), due);
        std::string told = row + "end-of-file record, file complete; ";
        if (!answer)
            told += "answering '@'";
        else if (answer->empty())
            told += "no answer (--silent-after-end)";
        else
            told += "answering " + ShowBytes(*answer) + " (--end-answer)";
        return Tell(nowMs, told, TraceKind::Completed);
    }
    // Segment records: the image lies within the first 64 KiB; they say
    // nothing new.
    std::string told = row + "address record, nothing to write";
    if (record.Type() == kRecordData) {
        std::memcpy(m_flash.data() + record.Address(), record.Data(), record.Count());
        told = row + std::to_string(record.Count()) + (record.Count() == 1 ? " byte at " : " bytes at ")
               + Hex16(static_cast<unsigned>(record.Address())) + " written";
    }
    const uint64_t busy = SendStep(m_faults.xoffFor, m_rowIndex, kRowXoff, due);
    const uint64_t written =
        SendStep(m_faults.lineCompleteFor, m_rowIndex, kRowLineComplete, busy + m_faults.rowWriteMs);
    ++m_rowIndex;
    AskForRow(written);
    const std::string deviations = Deviations({Deviation(m_faults.xoffFor, m_rowIndex - 1, "XOFF"),
                                               Deviation(m_faults.lineCompleteFor, m_rowIndex - 1, "'~'")});
    Tell(nowMs, told + deviations, deviations.empty() ? TraceKind::Routine : TraceKind::Notable);
}

void RowBootLoader::Reject(uint64_t nowMs)
{
    const std::string why = WhyRecordRefused(m_record, m_flash.size());
    m_record.clear();
    m_rowsRejected.push_back(m_rowsReceived.size() - 1);
    const uint64_t busy = SendStep(m_faults.xoffFor, m_rowIndex, kRowXoff, nowMs + m_faults.responseDelayMs);
    m_line.Queue(kRowRejected, busy);
    const auto xoff = m_faults.xoffFor.find(m_rowIndex);
    const std::string told = "row " + std::to_string(m_rowIndex + 1) + " refused (" + why + "): answered "
                             + (xoff == m_faults.xoffFor.end() ? "XOFF" : ShowBytes(xoff->second)) + ", NAK";
    ++m_rowIndex;
    AskForRow(m_line.LastDueMs());
    Tell(nowMs, told + Deviations({}));
}

std::string RowBootLoader::Deviations(std::vector<std::string> answers) const
{
    // The XON after a row asks for the next one.
    answers.push_back(Deviation(m_faults.xonFor, m_rowIndex, "XON"));
    std::string text;
    for (const std::string& answer : answers)
        if (!answer.empty())
            text += "; " + answer;
    return text;
}

uint64_t RowBootLoader::SendStep(const std::map<size_t, std::vector<uint8_t>>& replacements, size_t number,
                                 uint8_t value, uint64_t dueMs)
{
    const auto replaced = replacements.find(number);
    m_line.Answer(replaced == replacements.end() ? std::vector<uint8_t>{value} : replaced->second, dueMs);
    // A character left out still takes its moment.
    return std::max(dueMs, m_line.LastDueMs());
}

void RowBootLoader::AskForRow(uint64_t dueMs)
{
    m_readyAtMs = SendStep(m_faults.xonFor, m_rowIndex, kRowXon, dueMs + m_faults.xonDelayMs);
}

} // namespace tvqx::sim
