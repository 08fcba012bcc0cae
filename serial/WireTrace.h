#pragma once
// A program's wire trace: a file made afresh at start-up, its header line,
// and the tracing port layer that writes to it. Both front ends start one the
// same way: the console from its --trace option or the environment, the
// window from the environment alone.

#include "platform/File.h"
#include "platform/TickClock.h"
#include "serial/TracingPortLayer.h"

#include <memory>
#include <ostream>
#include <string>

namespace tvqx {

// The environment variable that asks any of the programs for a trace.
inline constexpr const char* kTraceVariable = "TVQX_TRACE";

// The trace file asked for: the command line's when it names one, else the
// variable's (`variable` may be null), else "".
std::string ChooseTracePath(const std::string& fromCommandLine, const char* variable);

// Writes each line with one write of its own, so that nothing waits in a
// buffer when the program is killed.
class FileTraceSink final : public TraceSink {
public:
    explicit FileTraceSink(File file) : m_file(std::move(file)) {}
    void WriteLine(const std::string& line) override;

private:
    File m_file;
};

class WireTrace {
public:
    // Creates (or empties) `path`, which must not be a symbolic link, writes
    // the header naming `program` and this start's local date and time, and
    // traces `ports` from then on. Null when the file cannot be made; says
    // so on `err` then, after "program: ". An empty path asks for no trace:
    // null, and nothing said.
    static std::unique_ptr<WireTrace> Start(const std::string& path, const std::string& program,
                                            const std::string& version, PortLayer& ports, TickClock& clock,
                                            TracingPortLayer::PathResolver devicePath, std::ostream& err);

    // The port layer to run the program on.
    PortLayer& Ports() { return m_layer; }

private:
    explicit WireTrace(File file, PortLayer& ports, TickClock& clock, TracingPortLayer::PathResolver devicePath);

    FileTraceSink m_sink;
    TracingPortLayer m_layer;
};

} // namespace tvqx
