#pragma once
// What tvqx-devsim tells the technician: one line per event, stamped with the
// seconds since the host started, written out at once so that a terminal or
// a log shows each event as it happens.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tvqx::sim {

class DevsimTrace {
public:
    DevsimTrace(std::ostream& out, uint64_t startNs, bool quiet)
        : m_out(out), m_startNs(startNs), m_quiet(quiet) {}

    void Line(uint64_t nowNs, const std::string& text);
    // Lines about steps that went as they should (a page taken, a row
    // written, a poll seen), which --quiet leaves out.
    void RoutineLine(uint64_t nowNs, const std::string& text);

private:
    std::ostream& m_out;
    uint64_t m_startNs;
    bool m_quiet;
};

// A byte as a technician reads it: '!' for printable ones, else 0x0D.
std::string ShowByte(uint8_t value);
// Several: "nothing", one byte as above, a run of one byte as "40 x '@'",
// else the bytes one after the other.
std::string ShowBytes(const std::vector<uint8_t>& bytes);
// Text as the device sends it: in double quotes, with a CR shown as "+ CR".
std::string ShowText(const std::string& text);

} // namespace tvqx::sim
