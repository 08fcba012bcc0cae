#pragma once
// A port layer that passes every call on to another one and writes what went
// over the line to a trace, one event per line: the openings and closings,
// every byte sent and received (in hex and as text), the line settings and
// the modem lines. This is what support asks for when an update fails in the
// field, so it is written as it happens and survives a program that is
// killed half-way.
//
// Times are milliseconds from the first opening of a port, and keep running
// across re-openings: the procedures that switch speed open the port more
// than once, and one time base lets their steps be read side by side.

#include "platform/TickClock.h"
#include "serial/PortLayer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace tvqx {

// Where the trace goes: each line is passed whole, without its line end, and
// is on its way out (not held in a buffer) when WriteLine returns.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void WriteLine(const std::string& line) = 0;
};

class StreamTraceSink final : public TraceSink {
public:
    explicit StreamTraceSink(std::ostream& out) : m_out(out) {}
    void WriteLine(const std::string& line) override;

private:
    std::ostream& m_out;
};

class TracingPortLayer final : public PortLayer {
public:
    // The device path behind COMn, named in the opening's line; "" for none.
    using PathResolver = std::function<std::string(int portNumber)>;

    // `inner`, `clock` and `sink` must outlive this layer and its handles.
    TracingPortLayer(PortLayer& inner, TickClock& clock, TraceSink& sink, PathResolver devicePath = {});
    ~TracingPortLayer() override;
    TracingPortLayer(const TracingPortLayer&) = delete;
    TracingPortLayer& operator=(const TracingPortLayer&) = delete;

    std::unique_ptr<PortHandle> CreateFile(int portNumber) override;

private:
    struct Trace;
    class Handle;

    PortLayer& m_inner;
    PathResolver m_devicePath;
    std::shared_ptr<Trace> m_trace;
};

// The trace's first line: which program wrote it, and when it started.
std::string TraceHeader(const std::string& program, const std::string& version, const std::string& startDate);

// The pieces of an event line, after its time.
// "> 3 bytes    55 AA 0D  ...  |U..|": '>' for sent, '<' for received.
std::string DescribeBytes(char direction, const uint8_t* data, uint32_t count);
// "line 9600 8N1, DTR on, RTS on, ..."
std::string DescribeLine(const Dcb& dcb);
// "modem CTS off, DSR on, RI off, DCD off"
std::string DescribeModemInputs(uint32_t status);

} // namespace tvqx
