#pragma once
// What tvqx-devsim tells the technician: one line per event, stamped with the
// seconds since the host started, written out at once so that a terminal or
// a log shows each event as it happens. Units hosted together share the
// output, each line whole and begun with its unit's prefix.

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>

namespace tvqx::sim {

class DevsimTrace {
public:
    DevsimTrace(std::ostream& out, uint64_t startNs, bool quiet, std::string prefix = {})
        : m_out(out), m_startNs(startNs), m_quiet(quiet), m_prefix(std::move(prefix)) {}

    void Line(uint64_t nowNs, const std::string& text);
    // Lines about steps that went as they should (a page taken, a row
    // written, a poll seen), which --quiet leaves out.
    void RoutineLine(uint64_t nowNs, const std::string& text);

private:
    std::ostream& m_out;
    uint64_t m_startNs;
    bool m_quiet;
    std::string m_prefix;
};

} // namespace tvqx::sim
