#include "sim/pty/DevsimTrace.h"

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

} // namespace tvqx::sim
