#pragma once
// One Intel HEX record as the row boot loader reads it off the line: the
// fields it carries, or why the unit refuses it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::sim {

enum RowRecordType : uint8_t { kRecordData = 0x00, kRecordEndOfFile = 0x01, kRecordSegmentAddress = 0x02,
                               kRecordSegmentStart = 0x03 };

struct RowRecord {
    enum class Refusal { None, NotARecord, NoLength, NotHex, BadChecksum, BeyondFlash, UnknownType };

    Refusal refusal = Refusal::None;
    // Count, address high and low, type, the data, the checksum.
    std::vector<uint8_t> fields;

    bool Taken() const { return refusal == Refusal::None; }
    size_t Count() const { return fields[0]; }
    size_t Address() const { return size_t{fields[1]} << 8 | fields[2]; }
    uint8_t Type() const { return fields[3]; }
    const uint8_t* Data() const { return fields.data() + 4; }
};

// The value of the two hex digits at `at`, or -1 (also past the end).
int HexByteAt(const std::string& text, size_t at);

// Judges a whole record (':' and everything after it, no line end). A data
// record must fit within `flashSize`: one running past it would wrap and
// overwrite the start of the image.
RowRecord ReadRowRecord(const std::string& text, size_t flashSize);

// Why the unit refuses a record, in a few words; empty when it takes it.
std::string WhyRecordRefused(const std::string& text, size_t flashSize);

} // namespace tvqx::sim
