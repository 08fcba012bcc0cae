#pragma once
// Whether the program itself sent the firmware whole, judged from the bytes
// it wrote (before the line could spoil them). When it did and the unit
// still ended up with other firmware, the fault lies with the line and with
// what the protocol can notice, not with the program.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::campaign {

// After the last entry command: every page of `image` in order, each as
// its number, its data and their additive checksum, a page repeated only
// right after itself, then the end marker.
bool SentWholeImageInPages(const std::vector<uint8_t>& written, const std::vector<uint8_t>& image,
                           size_t pageSize);

// After the last entry command: every line of the HEX text as it stands,
// without line ends, one after the other.
bool SentWholeHexInRows(const std::vector<uint8_t>& written, const std::string& hexText);

} // namespace tvqx::campaign
