#include "sim/RowBootLoader.h"

#include "sim/RowRecord.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tvqx::sim {

namespace {

constexpr size_t kEntryLength = sizeof(kBootEntryCommand) - 1;
// ':' LL AAAA TT .. CC: everything but the data is 11 characters.
constexpr size_t kRecordOverhead = 11;

} // namespace

RowBootLoader::RowBootLoader(RowBootLoaderFaults faults)
    : m_faults(std::move(faults)),
      m_line(kRowBootBaud, m_faults.noiseAt),
      m_entryWindow(kEntryLength),
      m_flash(kRowFlashSize, 0xFF)
{
}

void RowBootLoader::SetPower(bool dtr, bool rts, uint64_t nowMs)
{
    const bool on = dtr && rts;
    if (!m_line.SetPower(on, nowMs))
        return;
    // A fresh supply starts the boot loader from the top; a half-received
    // record is gone.
    ResetProtocol();
    m_stage = on ? Stage::AwaitingEntry : Stage::Off;
}

void RowBootLoader::SetLineSpeed(uint32_t baud, uint64_t nowMs)
{
    m_line.SetLineSpeed(baud, nowMs);
}

void RowBootLoader::ResetProtocol()
{
    m_entryWindow.Clear();
    m_record.clear();
    m_rowIndex = 0;
    m_readyAtMs = 0;
    m_skipping = false;
}

void RowBootLoader::Receive(const uint8_t* data, size_t count, uint64_t nowMs)
{
    for (size_t i = 0; i < count; ++i)
        if (m_line.Hear(data[i], nowMs))
            HandleByte(data[i], nowMs);
}

void RowBootLoader::HandleByte(uint8_t byte, uint64_t nowMs)
{
    switch (m_stage) {
    case Stage::AwaitingEntry:
        m_entryWindow.Push(byte);
        if (m_entryWindow.EndsWith(kBootEntryCommand)) {
            m_entryWindow.Clear();
            OnEntryCommand(nowMs);
        }
        break;
    case Stage::ReceivingRows:
        TakeRowByte(byte, nowMs);
        break;
    case Stage::Off:
    case Stage::Done:
    case Stage::Dead:
        break;
    }
}

void RowBootLoader::OnEntryCommand(uint64_t nowMs)
{
    if (m_faults.ignoreEntryCommand)
        return;
    ++m_entries;
    m_stage = Stage::ReceivingRows;
    m_record.clear();
    m_rowIndex = 0;
    m_skipping = false;

    const std::string text = m_faults.versionText.value_or(kBootVersion);
    std::vector<uint8_t> version(text.begin(), text.end());
    version.push_back(kBootVersionEnd);
    const uint64_t due =
        m_line.AnswerInPieces(version, m_faults.versionPieces, nowMs + m_faults.responseDelayMs);
    m_readyAtMs = due;
    if (m_faults.omitReady)
        return;
    AskForRow(m_line.Answer({m_faults.readyByte.value_or(kRowBootReady)}, due + m_faults.readyDelayMs));
}

void RowBootLoader::TakeRowByte(uint8_t byte, uint64_t nowMs)
{
    if (nowMs < m_readyAtMs) {
        ++m_lostWhileBusy;
        return;
    }
    if (!m_skipping && m_faults.silentFrom && m_faults.silentFrom->row == m_rowIndex
        && m_faults.silentFrom->character == m_record.size()) {
        m_stage = Stage::Dead;
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

    const uint64_t due = nowMs + m_faults.responseDelayMs;
    switch (record.Type()) {
    case kRecordEndOfFile:
        m_record.clear();
        m_stage = Stage::Done;
        m_complete = true;
        m_line.Answer(m_faults.fileCompleteAnswer.value_or(std::vector<uint8_t>{kRowFileComplete}), due);
        return;
    case kRecordData:
        std::memcpy(m_flash.data() + record.Address(), record.Data(), record.Count());
        break;
    default:
        // Segment records: the image lies within the first 64 KiB; they say
        // nothing new.
        break;
    }
    m_record.clear();
    const uint64_t busy = SendStep(m_faults.xoffFor, m_rowIndex, kRowXoff, due);
    const uint64_t written =
        SendStep(m_faults.lineCompleteFor, m_rowIndex, kRowLineComplete, busy + m_faults.rowWriteMs);
    ++m_rowIndex;
    AskForRow(written);
}

void RowBootLoader::Reject(uint64_t nowMs)
{
    m_record.clear();
    m_rowsRejected.push_back(m_rowsReceived.size() - 1);
    const uint64_t busy = SendStep(m_faults.xoffFor, m_rowIndex, kRowXoff, nowMs + m_faults.responseDelayMs);
    m_line.Queue(kRowRejected, busy);
    ++m_rowIndex;
    AskForRow(m_line.LastDueMs());
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

void RowBootLoader::Collect(uint64_t nowMs, std::vector<uint8_t>& out)
{
    m_line.Collect(nowMs, out);
}

} // namespace tvqx::sim
