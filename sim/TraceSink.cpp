#include "sim/TraceSink.h"

#include <algorithm>
#include <cstdio>

namespace tvqx::sim {

std::string ShowByte(uint8_t value)
{
    char text[16];
    if (value >= 0x21 && value < 0x7F)
        std::snprintf(text, sizeof text, "'%c'", static_cast<char>(value));
    else
        std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string ShowBytes(const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return "nothing";
    const bool run = std::all_of(bytes.begin(), bytes.end(), [&](uint8_t b) { return b == bytes[0]; });
    if (run && bytes.size() > 1)
        return std::to_string(bytes.size()) + " x " + ShowByte(bytes[0]);
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += ShowByte(b);
    }
    return text;
}

std::string ShowText(const std::string& text)
{
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about a
    // literal joined to a temporary string here.
    std::string shown(1, '"');
    if (!text.empty() && text.back() == '\r')
        return shown.append(text, 0, text.size() - 1).append("\" + CR");
    return shown.append(text).append(1, '"');
}

} // namespace tvqx::sim
