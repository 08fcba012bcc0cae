#pragma once
// Intel HEX records for feeding the row boot loader, and the program's side
// of the row exchange cut down to what the device tests need.

#include "sim/RowBootLoader.h"
#include "tests/sim/BootLineDriver.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tvqx::sim::test {

// One record with its checksum; `checksumError` is added to the checksum.
inline std::string HexRecord(uint8_t type, uint16_t address, const std::vector<uint8_t>& data,
                             uint8_t checksumError = 0)
{
    std::vector<uint8_t> fields{static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address), type};
    fields.insert(fields.end(), data.begin(), data.end());
    fields.push_back(static_cast<uint8_t>(-Checksum(fields) + checksumError));
    std::string text = ":";
    for (uint8_t b : fields) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
    }
    return text;
}

inline std::string EndOfFileRecord() { return HexRecord(0x01, 0, {}); }

// Power, then the entry command after a few polls left over from the
// wake-up; reads up to the ready character.
inline bool EnterRowBootLoader(BootLineDriver& line)
{
    line.Power(true);
    line.Send({0xC0, 0xC0});
    line.Send(Bytes(kBootEntryCommand));
    return line.SkipPast(kRowBootReady, 3000);
}

// The program's row transfer after the ready character: what it heard, in
// caret notation, '-' for a wait that ran out; it stops where the program
// would.
inline std::string SendRows(BootLineDriver& line, const std::vector<std::string>& rows)
{
    std::string heard;
    const auto expect = [&](uint8_t wanted) {
        const int byte = line.Next(2000);
        heard += Caret(byte);
        return byte == wanted;
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!expect(kRowXon))
            return heard;
        line.Send(Bytes(rows[i]));
        if (i + 1 == rows.size())
            expect(kRowFileComplete);
        else if (!expect(kRowXoff) || !expect(kRowLineComplete))
            return heard;
    }
    return heard;
}

} // namespace tvqx::sim::test
