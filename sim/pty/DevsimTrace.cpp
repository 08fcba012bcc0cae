#include "sim/pty/DevsimTrace.h"

#include <algorithm>
#include <cstdio>

namespace tvqx::sim {

void DevsimTrace::Line(uint64_t nowNs, const std::string& text)
{
    char stamp[32];
    const uint64_t ms = (nowNs - m_startNs) / 1000000;
    std::snprintf(stamp, sizeof stamp, "%6llu.%03llu  ", static_cast<unsigned long long>(ms / 1000),
                  static_cast<unsigned long long>(ms % 1000));
    m_out << stamp << text << std::endl;
}

void DevsimTrace::RoutineLine(uint64_t nowNs, const std::string& text)
{
    if (!m_quiet)
        Line(nowNs, text);
}

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
