#pragma once
// What a simulated device tells whoever follows it (the trace of the pty
// host): each step in the device's own words, at the moment it takes it, so
// that no one has to work out from the outside what it did. A device nobody
// follows tells nothing; that is the default.

#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::sim {

enum class TraceKind {
    Notable,
    // A step that went as it should (a page taken, a row written, a repeated
    // poll): a terse trace leaves it out.
    Routine,
    // The update's last step arrived (the end marker, the end-of-file
    // record).
    Completed,
};

class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void Tell(uint64_t nowMs, TraceKind kind, const std::string& text) = 0;
};

// A byte as a technician reads it: '!' for printable ones, else 0x0D.
std::string ShowByte(uint8_t value);
// Several: "nothing", one byte as above, a run of one byte as "40 x '@'",
// else the bytes one after the other.
std::string ShowBytes(const std::vector<uint8_t>& bytes);
// Text as the device sends it: in double quotes, with a CR shown as "+ CR".
std::string ShowText(const std::string& text);

} // namespace tvqx::sim
