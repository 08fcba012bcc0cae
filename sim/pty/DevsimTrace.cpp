#include "sim/pty/DevsimTrace.h"

#include <cstdio>
#include <mutex>

namespace tvqx::sim {

namespace {

// The units' hosts run side by side and write to the same output.
std::mutex g_outputLock;

} // namespace

void DevsimTrace::Line(uint64_t nowNs, const std::string& text)
{
    char stamp[32];
    const uint64_t ms = (nowNs - m_startNs) / 1000000;
    std::snprintf(stamp, sizeof stamp, "%6llu.%03llu  ", static_cast<unsigned long long>(ms / 1000),
                  static_cast<unsigned long long>(ms % 1000));
    const std::string line = m_prefix + stamp + text + "\n";
    const std::lock_guard<std::mutex> lock(g_outputLock);
    m_out << line << std::flush;
}

void DevsimTrace::RoutineLine(uint64_t nowNs, const std::string& text)
{
    if (!m_quiet)
        Line(nowNs, text);
}

} // namespace tvqx::sim
