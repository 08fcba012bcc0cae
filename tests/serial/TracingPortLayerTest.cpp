// The wire trace: what a support engineer reads, line by line, on virtual
// time over the simulated link.

#include "serial/CRS232.h"
#include "serial/TracingPortLayer.h"
#include "serial/WireTrace.h"
#include "tests/common/ScratchDir.h"
#include "testsupport/SimulatedPortLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tvqx {
namespace {

using Lines = std::vector<std::string>;

struct RecordingSink final : TraceSink {
    void WriteLine(const std::string& line) override { lines.push_back(line); }
    Lines lines;
};

// Answers '!' 5 ms after anything it hears; raises DSR at a set time.
class AnsweringDevice final : public sim::SimDevice {
public:
    void SetPower(bool, bool, uint64_t) override {}
    void SetLineSpeed(uint32_t, uint64_t) override {}
    void Receive(const uint8_t*, size_t count, uint64_t nowMs) override
    {
        if (count > 0)
            m_due.push_back(nowMs + 5);
    }
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override
    {
        while (!m_due.empty() && m_due.front() <= nowMs) {
            out.push_back('!');
            m_due.pop_front();
        }
    }
    bool DsrAt(uint64_t nowMs) const override { return nowMs >= dsrFromMs; }

    uint64_t dsrFromMs = UINT64_MAX;

private:
    std::deque<uint64_t> m_due;
};

// A line whose every call fails; a write gets three bytes out first.
class DeadHandle final : public PortHandle {
public:
    int SetupComm(uint32_t, uint32_t) override { return 0; }
    int SetCommTimeouts(const CommTimeouts&) override { return 0; }
    int SetCommState(const Dcb&) override { return 0; }
    int SetCommMask(uint32_t) override { return 0; }
    int PurgeComm(uint32_t) override { return 0; }
    int WriteFile(const uint8_t*, uint32_t count, uint32_t* written) override
    {
        *written = std::min(count, 3u);
        return 0;
    }
    int ReadFile(uint8_t*, uint32_t, uint32_t* read) override { return *read = 0, 0; }
    int BytesInQueue(uint32_t* count) override { return *count = 0, 0; }
    int GetCommModemStatus(uint32_t*) override { return 0; }
    int EscapeCommFunction(int) override { return 0; }
};

struct DeadLayer final : PortLayer {
    std::unique_ptr<PortHandle> CreateFile(int) override { return std::make_unique<DeadHandle>(); }
};

std::string Padded(std::string hex)
{
    hex.resize(47, ' ');
    return hex;
}

struct TraceTest : testing::Test {
    VirtualTickClock clock{1000};   // the trace's times start at the first opening, not at 0
    SimulatedPortLayer simulated{clock};
    RecordingSink sink;
    TracingPortLayer layer{simulated, clock, sink, [](int n) { return n == 4 ? "/dev/pts/4" : ""; }};
    AnsweringDevice device;

    TraceTest() { simulated.Attach(4, device); }

    // Polls the way the protocols do, one millisecond apart.
    void PollRead(CRS232& port, int times)
    {
        for (int i = 0; i < times; ++i) {
            uint8_t buffer[8];
            port.Read(buffer, sizeof buffer);
            clock.Idle();
        }
    }
    void PollModem(CRS232& port, int times)
    {
        for (int i = 0; i < times; ++i) {
            uint32_t status = 0;
            port.GetModemStatus(&status);
            clock.Idle();
        }
    }
};

TEST_F(TraceTest, WholeSessionAcrossTwoOpenings)
{
    device.dsrFromMs = 1024;
    EXPECT_EQ(layer.CreateFile(5), nullptr);
    clock.Advance(2);
    CRS232 port(layer, clock);
    ASSERT_EQ(port.Open(4, 9600, 'N', 8, 1), 1);
    clock.Advance(10);
    port.WriteString("<V\r");
    PollRead(port, 8);    // the answer is due 5 ms after the command; empty polls leave no line
    PollModem(port, 6);   // DSR rises at 24: one line for the first look, one for the change
    port.ChangeSettings(57600, 'E', '7');
    port.Close();
    clock.Advance(100);
    ASSERT_EQ(port.Open(4, 1200, 'O', 8, 2), 1);

    const std::string line9600 = "line 9600 8N1, DTR on, RTS on, XON/XOFF out off in off (XON 11 XOFF 13), "
                                 "CTS flow off, DSR flow off";
    const Lines expected = {
        "       0 ms  open COM5 refused",
        "       2 ms  open COM4 /dev/pts/4",
        "       2 ms  queues in 32768, out 32768",
        "       2 ms  timeouts read interval 4294967295 ms, read total 0 ms/byte + 0 ms, write total 0 ms/byte + 0 ms",
        "       2 ms  " + line9600,
        "      12 ms  > 3 bytes     " + Padded("3C 56 0D") + "  |<V.|",
        "      17 ms  < 1 byte      " + Padded("21") + "  |!|",
        "      20 ms  modem CTS off, DSR off, RI off, DCD off",
        "      24 ms  modem CTS off, DSR on, RI off, DCD off",
        "      26 ms  line 57600 7E1, DTR on, RTS on, XON/XOFF out off in off (XON 11 XOFF 13), "
        "CTS flow off, DSR flow off",
        "      26 ms  purge RXCLEAR",
        "      26 ms  DTR off",
        "      26 ms  RTS off",
        "      26 ms  close COM4",
        "     126 ms  open COM4 /dev/pts/4",
        "     126 ms  queues in 32768, out 32768",
        "     126 ms  timeouts read interval 4294967295 ms, read total 0 ms/byte + 0 ms, write total 0 ms/byte + 0 ms",
        "     126 ms  line 1200 8O2, DTR on, RTS on, XON/XOFF out off in off (XON 11 XOFF 13), "
        "CTS flow off, DSR flow off",
    };
    EXPECT_EQ(sink.lines, expected);
}

TEST(TraceFormat, Bytes)
{
    std::string seventeen = "41";
    for (int i = 1; i < 17; ++i)
        seventeen += " 41";
    const struct {
        char direction;
        std::vector<uint8_t> bytes;
        std::string expected;
    } cases[] = {
        // Only 0x20 to 0x7E show as themselves.
        {'>', {0x1F, 0x20, 0x7E, 0x7F, 0xFF, 0x00}, "> 6 bytes     " + Padded("1F 20 7E 7F FF 00") + "  |. ~...|"},
        // Past the padded column the bytes simply go on.
        {'>', std::vector<uint8_t>(17, 'A'), "> 17 bytes    " + seventeen + "  |AAAAAAAAAAAAAAAAA|"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeBytes(c.direction, c.bytes.data(), static_cast<uint32_t>(c.bytes.size())), c.expected);
}

// Calls that fail say so; a dead line's failing reads say it once.
TEST(TraceFailures, AreMarked)
{
    VirtualTickClock clock;
    DeadLayer dead;
    RecordingSink sink;
    TracingPortLayer layer(dead, clock, sink);
    auto port = layer.CreateFile(2);
    ASSERT_NE(port, nullptr);
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    uint32_t count = 99;
    EXPECT_EQ(port->WriteFile(bytes, 5, &count), 0);
    EXPECT_EQ(count, 3u);
    uint8_t buffer[4];
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(port->ReadFile(buffer, 4, &count), 0);
    EXPECT_EQ(port->PurgeComm(PURGE_TXCLEAR | PURGE_RXABORT), 0);
    EXPECT_EQ(port->EscapeCommFunction(SETXOFF), 0);
    EXPECT_EQ(port->EscapeCommFunction(42), 0);
    uint32_t status = 0;
    EXPECT_EQ(port->GetCommModemStatus(&status), 0);   // nothing to report
    port.reset();
    EXPECT_EQ(sink.lines, (Lines{
                              "       0 ms  open COM2",
                              "       0 ms  > 3 bytes     " + Padded("01 02 03") + "  |...|",
                              "       0 ms  write failed after 3 of 5 bytes",
                              "       0 ms  read failed",
                              "       0 ms  purge RXABORT TXCLEAR (failed)",
                              "       0 ms  XOFF: output held (failed)",
                              "       0 ms  escape 42 (failed)",
                              "       0 ms  close COM2",
                          }));
}

TEST(WireTraceFile, StartsAfreshWithItsHeader)
{
    test::ScratchDir scratch("tvqx-trace");
    const std::string path = scratch.Root() + "trace.txt";
    std::ofstream(path) << "an older run's trace\nwith two lines\n";
    VirtualTickClock clock;
    SimulatedPortLayer simulated(clock);
    std::ostringstream err;
    const auto check = [&path] {
        std::ifstream in(path);
        std::string header, open, rest;
        std::getline(in, header);
        std::getline(in, open);
        EXPECT_EQ(header.rfind("prog 1.2.3.4 wire trace of 2", 0), 0u) << header;
        EXPECT_NE(header.find("> sent, < received"), std::string::npos) << header;
        EXPECT_EQ(open, "       0 ms  open COM9 refused");
        EXPECT_FALSE(std::getline(in, rest)) << rest;
    };
    {
        auto trace = WireTrace::Start(path, "prog", "1.2.3.4", simulated, clock, {}, err);
        ASSERT_NE(trace, nullptr);
        EXPECT_EQ(trace->Ports().CreateFile(9), nullptr);
        // Each line is in the file as soon as it is written, and others may
        // read it meanwhile.
        check();
    }
    check();
    EXPECT_EQ(err.str(), "");
}

TEST(WireTraceFile, RefusesWhatItCannotCreate)
{
    test::ScratchDir scratch("tvqx-trace");
    const std::string target = scratch.Root() + "target.txt";
    std::ofstream(target, std::ios::binary) << "keep me\n";
    std::vector<std::string> paths{scratch.Root() + "no/such/dir/trace.txt", scratch.Root()};
    if (test::PlantSymlink(target, scratch.Root() + "link.txt"))
        paths.push_back(scratch.Root() + "link.txt");
    VirtualTickClock clock;
    SimulatedPortLayer simulated(clock);
    for (const std::string& path : paths) {
        std::ostringstream err;
        EXPECT_EQ(WireTrace::Start(path, "prog", "1", simulated, clock, {}, err), nullptr) << path;
        EXPECT_EQ(err.str(), "prog: cannot create the trace file " + path + "\n");
    }
    EXPECT_EQ(test::ReadAll(target), "keep me\n");
}

} // namespace
} // namespace tvqx
