#pragma once
// A hosted unit driven by bytes on a made-up clock, the way the host drives
// it, with its trace kept in memory: no pseudo-terminal, no real time.

#include "sim/pty/DevsimOptions.h"
#include "sim/pty/HostedDevice.h"
#include "tests/sim/HexRows.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tvqx::sim::test {

inline constexpr uint64_t kNsPerMs = 1000000;

class UnitBench {
public:
    explicit UnitBench(std::vector<std::string> args)
        : m_options(Options(std::move(args))), m_trace(m_out, 0, m_options.quiet), m_unit(m_options, 0, m_trace)
    {
    }

    HostedDevice& Unit() { return m_unit; }

    void PowerOn(uint64_t ms, uint32_t baud)
    {
        m_unit.PowerOn(ms * kNsPerMs);
        m_unit.SetLineSpeed(baud, ms * kNsPerMs);
    }
    void Send(const std::vector<uint8_t>& bytes, uint64_t ms)
    {
        for (uint8_t b : bytes)
            m_unit.Take({ms * kNsPerMs, b});
    }
    void Send(const char* text, uint64_t ms) { Send(Bytes(text), ms); }
    void Send(const std::string& text, uint64_t ms) { Send(Bytes(text), ms); }
    // Everything the unit has sent by `ms`.
    std::vector<uint8_t> Heard(uint64_t ms)
    {
        std::vector<uint8_t> out;
        m_unit.Collect(ms * kNsPerMs, out);
        return out;
    }
    std::string Trace() const { return m_out.str(); }

    // Each of `lines` appears in the trace, in this order.
    void ExpectInOrder(const std::vector<std::string>& lines) const
    {
        const std::string trace = Trace();
        size_t at = 0;
        for (const std::string& line : lines) {
            const size_t found = trace.find(line, at);
            ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << line << "\n" << trace;
            at = found + line.size();
        }
    }

private:
    static DevsimOptions Options(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--com", "1"});
        const DevsimCommandLine c = ParseDevsimCommandLine(args);
        EXPECT_EQ(c.outcome, DevsimCommandLine::Outcome::Run) << c.error;
        return c.options;
    }

    DevsimOptions m_options;
    std::ostringstream m_out;
    DevsimTrace m_trace;
    HostedDevice m_unit;
};

} // namespace tvqx::sim::test
