#include "sim/RowRecord.h"

#include "sim/TraceSink.h"

#include <cstdio>

namespace tvqx::sim {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

int HexByteAt(const std::string& text, size_t at)
{
    if (at + 1 >= text.size())
        return -1;
    const int high = HexDigit(text[at]);
    const int low = HexDigit(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

RowRecord ReadRowRecord(const std::string& text, size_t flashSize)
{
    RowRecord record;
    auto refuse = [&](RowRecord::Refusal why) {
        record.refusal = why;
        record.fields.clear();
        return record;
    };
    if (text.empty() || text[0] != ':')
        return refuse(RowRecord::Refusal::NotARecord);
    if (HexByteAt(text, 1) < 0)
        return refuse(RowRecord::Refusal::NoLength);
    unsigned sum = 0;
    for (size_t at = 1; at + 1 < text.size(); at += 2) {
        const int value = HexByteAt(text, at);
        if (value < 0)
            return refuse(RowRecord::Refusal::NotHex);
        record.fields.push_back(static_cast<uint8_t>(value));
        sum += static_cast<unsigned>(value);
    }
    // Count, address, type and checksum at the least.
    if (record.fields.size() < 5 || record.fields.size() != 5 + record.Count())
        return refuse(RowRecord::Refusal::NotHex);
    if (sum % 256 != 0)
        return refuse(RowRecord::Refusal::BadChecksum);
    switch (record.Type()) {
    case kRecordData:
        if (record.Address() + record.Count() > flashSize)
            return refuse(RowRecord::Refusal::BeyondFlash);
        break;
    case kRecordEndOfFile:
    case kRecordSegmentAddress:
    case kRecordSegmentStart:
        break;
    default:
        return refuse(RowRecord::Refusal::UnknownType);
    }
    return record;
}

std::string WhyRecordRefused(const std::string& text, size_t flashSize)
{
    switch (ReadRowRecord(text, flashSize).refusal) {
    case RowRecord::Refusal::None: return "";
    case RowRecord::Refusal::NotARecord:
        return "not a record: starts with " + ShowByte(text.empty() ? 0 : static_cast<uint8_t>(text[0]));
    case RowRecord::Refusal::NoLength: return "no readable length";
    case RowRecord::Refusal::NotHex: return "not hex digits";
    case RowRecord::Refusal::BadChecksum: return "bad checksum";
    case RowRecord::Refusal::BeyondFlash: return "beyond the flash";
    case RowRecord::Refusal::UnknownType: break;
    }
    char why[40];
    std::snprintf(why, sizeof why, "record type 0x%02X unknown", HexByteAt(text, 7));
    return why;
}

} // namespace tvqx::sim
