// CRS232 over a recording port layer, with byte arrivals scheduled on virtual
// time.

#include "FakePortLayer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tvqx::test {
namespace {

const Calls kOpenCalls = {"SetupComm 32768 32768", "SetCommTimeouts", "SetCommState", "SetCommMask 5"};
const Calls kCloseCalls = {"Escape 6", "Escape 4", "CloseHandle"};

Calls Concat(Calls a, const Calls& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class CRS232Test : public ::testing::Test {
protected:
    void OpenQuietly()
    {
        ASSERT_EQ(port.Open(1, 9600, 'N', 8, 1), 1);
        line.calls.clear();
    }
    void ArriveAt(uint64_t t, std::string bytes)
    {
        clock.At(t, [this, bytes] { line.input.insert(line.input.end(), bytes.begin(), bytes.end()); });
    }

    FakePortLayer layer;
    VirtualTickClock clock;
    TestRS232 port {layer, clock};
    FakeLine& line = layer.line;
};

TEST_F(CRS232Test, BaudParityAndStopBitsTables)
{
    struct Row { int baud; char parity; int stop; uint32_t openBaud, changeBaud; uint8_t openParity, changeParity, stopBits; };
    const Row rows[] = {
        {110, 'N', 1, 9600, 9600, NOPARITY, NOPARITY, ONESTOPBIT},
        {300, 'E', 2, 300, 9600, EVENPARITY, EVENPARITY, TWOSTOPBITS},
        {600, 'O', 3, 600, 9600, ODDPARITY, ODDPARITY, ONESTOPBIT},
        {1200, 'M', 0, 1200, 1200, MARKPARITY, NOPARITY, ONESTOPBIT},
        {4800, 'S', 2, 4800, 4800, SPACEPARITY, NOPARITY, TWOSTOPBITS},
        {14400, 'e', 1, 14400, 9600, NOPARITY, NOPARITY, ONESTOPBIT},
        {19200, 'X', 1, 19200, 19200, NOPARITY, NOPARITY, ONESTOPBIT},
        {57600, 'N', 1, 57600, 57600, NOPARITY, NOPARITY, ONESTOPBIT},
        {115200, 'N', 1, 115200, 115200, NOPARITY, NOPARITY, ONESTOPBIT},
        {230400, 'N', 1, 9600, 9600, NOPARITY, NOPARITY, ONESTOPBIT},
        {-9600, 'N', 1, 9600, 9600, NOPARITY, NOPARITY, ONESTOPBIT},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.baud << " " << r.parity);
        ASSERT_EQ(port.Open(1, r.baud, r.parity, 8, r.stop), 1);
        EXPECT_EQ(line.states.back().BaudRate, r.openBaud);
        EXPECT_EQ(line.states.back().Parity, r.openParity);
        EXPECT_EQ(line.states.back().StopBits, r.stopBits);
        port.ChangeSettings(r.baud, r.parity, '8');
        EXPECT_EQ(line.states.back().BaudRate, r.changeBaud);
        EXPECT_EQ(line.states.back().Parity, r.changeParity);
    }
}

TEST_F(CRS232Test, OpenSetsEveryFieldAndCallsInOrder)
{
    EXPECT_EQ(port.m_frameSeq1, 11);
    EXPECT_EQ(port.m_frameSeq2, 50);
    EXPECT_EQ(port.m_isOpen, 0);
    ASSERT_EQ(port.Open(3, 115200, 'N', 8, 1), 1);
    EXPECT_EQ(line.calls, Concat({"CreateFile 3"}, kOpenCalls));   // nothing purged
    EXPECT_EQ(port.m_isOpen, 1);
    EXPECT_EQ(port.m_inQueueSize + port.m_outQueueSize, 2 * 32768u);
    EXPECT_EQ(port.GetPortNumber(), 3);
    const CommTimeouts& t = line.timeouts;
    EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier + t.ReadTotalTimeoutConstant + t.WriteTotalTimeoutMultiplier +
                  t.WriteTotalTimeoutConstant, 0u);

    const Dcb expected {.DCBlength = 28, .BaudRate = 115200, .fBinary = 1, .fParity = 1,
                        .fDtrControl = DTR_CONTROL_ENABLE, .fTXContinueOnXoff = 1,
                        .fRtsControl = RTS_CONTROL_ENABLE, .XonLim = 100, .XoffLim = 100, .ByteSize = 8,
                        .Parity = NOPARITY, .StopBits = ONESTOPBIT, .XonChar = 0x11, .XoffChar = 0x13,
                        .ErrorChar = '\xFF', .EofChar = 0x0D, .EvtChar = '\xFF'};
    EXPECT_EQ(std::memcmp(&line.states.back(), &expected, sizeof(Dcb)), 0);
}

TEST_F(CRS232Test, ChangeSettingsKeepsTheRestAndPurgesInput)
{
    port.Open(2, 9600, 'N', 8, 2);
    line.input = {1, 2, 3};
    line.calls.clear();
    EXPECT_EQ(port.ChangeSettings(38400, 'N', '7'), 1);
    EXPECT_EQ(line.calls, (Calls {"SetCommState", "PurgeComm 8"}));
    EXPECT_TRUE(line.input.empty());
    Dcb expected = line.states.front();
    expected.BaudRate = 38400;
    expected.ByteSize = 7;
    EXPECT_EQ(std::memcmp(&line.states.back(), &expected, sizeof(Dcb)), 0);
}

TEST_F(CRS232Test, CloseReopenDestructionAndFailedOpen)
{
    port.Open(3, 9600, 'N', 8, 1);
    line.calls.clear();
    ASSERT_EQ(port.Open(4, 19200, 'N', 8, 1), 1);   // power cycle: down, then up anew
    EXPECT_EQ(line.calls, Concat(Concat(kCloseCalls, {"CreateFile 4"}), kOpenCalls));
    line.calls.clear();
    port.Close();
    port.Close();
    EXPECT_EQ(line.calls, kCloseCalls);
    EXPECT_EQ(port.GetPortNumber(), -1);
    EXPECT_EQ(port.m_portNumber, 4);

    line.calls.clear();
    {
        TestRS232 other(layer, clock);
        other.Open(9, 9600, 'N', 8, 1);
    }
    EXPECT_EQ(line.calls, Concat(Concat({"CreateFile 9"}, kOpenCalls), kCloseCalls));

    port.Open(3, 9600, 'N', 8, 1);
    line.available = false;   // missing or held elsewhere
    EXPECT_EQ(port.Open(7, 9600, 'N', 8, 1), 0);
    EXPECT_EQ(port.m_isOpen, 0);
    EXPECT_EQ(port.GetPortNumber(), -1);
    EXPECT_EQ(port.m_portNumber, 7);
}

TEST_F(CRS232Test, WritesSendExactlyTheirBytes)
{
    OpenQuietly();
    EXPECT_NE(port.WriteByte(0x1A5), 0);   // only the low 8 bits go out
    EXPECT_NE(port.WriteBuffer("xyz", 3), 0);
    EXPECT_NE(port.WriteBuffer("", 0), 0);  // still one platform write
    EXPECT_EQ(port.WriteBuffer("xyz", -1), 0);
    EXPECT_NE(port.WriteString("AB\r"), 0);
    EXPECT_EQ(line.calls, (Calls {"WriteFile 1", "WriteFile 3", "WriteFile 0", "WriteFile 3"}));
    EXPECT_EQ(line.output, (std::vector<uint8_t> {0xA5, 'x', 'y', 'z', 'A', 'B', '\r'}));
}

TEST_F(CRS232Test, LinkSendsGoOutIn86ByteChunksOfTheChosenForm)
{
    std::vector<uint8_t> data(200);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    const auto part = [&](int from, int to) { return std::vector<uint8_t>(data.begin() + from, data.begin() + to); };
    for (int form : {0, 1, 2}) {
        TestRS232 link(layer, clock, form);
        link.Open(1, 9600, 'N', 8, 1);
        link.SendLinkBuffer(data.data(), 200);
        link.SendLinkString("hi");
        if (form == 0) {
            EXPECT_TRUE(link.frames.empty());
            continue;
        }
        using F = decltype(link.frames);
        EXPECT_EQ(link.frames, (F {{form, part(0, 86)}, {form, part(86, 172)}, {form, part(172, 200)},
                                   {form, {'h', 'i'}}}));
    }
    EXPECT_TRUE(line.output.empty());
}

TEST_F(CRS232Test, ReadTakesOnlyWhatIsWaiting)
{
    OpenQuietly();
    uint8_t buf[8] = {};
    EXPECT_EQ(port.Read(buf, 4), 0u);   // nothing waiting
    line.input = {'a', 'b', 'c', 'd', 'e'};
    EXPECT_EQ(port.Read(buf, 0), 0u);
    EXPECT_EQ(line.calls, Calls {});    // neither asked the platform to read
    EXPECT_EQ(port.Read(buf, 1), 1u);
    EXPECT_EQ(port.BytesWaiting(), 4u);
    EXPECT_EQ(port.Read(buf, 8), 4u);
    EXPECT_EQ(line.calls, (Calls {"ReadFile 1", "ReadFile 4"}));
}

TEST_F(CRS232Test, ReadUntil)
{
    OpenQuietly();
    struct Row { const char* name; std::string bytes; int result; std::string kept; uint64_t endsAt; size_t left; };
    const Row rows[] = {
        {"terminator", "ABC\rZ", 3, "ABC", 10, 1},
        {"overlong answer", "0123456789abcdefghij", 15, "0123456789abcde", 10, 4},
        {"silence", "", 0, "", 500, 0},
        {"stops short", "AB", 2, "AB", 510, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        clock = VirtualTickClock();
        ArriveAt(10, r.bytes);
        char buf[16];
        std::memset(buf, '#', sizeof buf);
        EXPECT_EQ(port.ReadUntil(buf, 15, 500, '\r'), r.result);
        EXPECT_EQ(std::string(buf), r.kept);   // NUL right after the kept bytes
        EXPECT_EQ(clock.Now(), r.endsAt);
        EXPECT_EQ(line.input.size(), r.left);
        line.input.clear();
    }
}

TEST_F(CRS232Test, ReadCountIdleTimeRunsFromTheLastByte)
{
    OpenQuietly();
    for (uint64_t t : {100, 200, 300, 400})
        ArriveAt(t, "x");
    uint8_t buf[9] = {};
    EXPECT_EQ(port.ReadCount(buf, 9, 500), 4);
    EXPECT_EQ(clock.Now(), 900u);

    ArriveAt(1000, "0123456789");
    EXPECT_EQ(port.ReadCount(buf, 9, 3000), 9);
    EXPECT_EQ(clock.Now(), 1000u);
    EXPECT_EQ(std::string(buf, buf + 9), "012345678");
    EXPECT_EQ(line.input.size(), 1u);
}

TEST_F(CRS232Test, DrainInputAndPurgeAndWait)
{
    OpenQuietly();
    line.input = {1, 2};
    port.DrainInput(0);
    EXPECT_EQ(line.input.size(), 2u);
    EXPECT_EQ(clock.Now(), 0u);

    ArriveAt(50, "abc");
    ArriveAt(120, "d");
    port.DrainInput(100);
    EXPECT_TRUE(line.input.empty());
    EXPECT_EQ(clock.Now(), 220u);

    line.calls.clear();
    port.PurgeAndWait(10);
    EXPECT_EQ(line.calls, (Calls {"PurgeComm 4", "PurgeComm 8"}));
    EXPECT_EQ(clock.Now(), 230u);
}

TEST_F(CRS232Test, SizesThatCannotBeHonouredReadNothing)
{
    OpenQuietly();
    line.input = {'a', 'b'};
    char buf[4] = "zz";
    EXPECT_EQ(port.ReadUntil(buf, -1, 500, '\r'), 0);
    EXPECT_EQ(port.ReadCount(buf, 0, 500), 0);
    EXPECT_EQ(line.input.size(), 2u);
    EXPECT_STREQ(buf, "zz");
}

TEST_F(CRS232Test, ClosedPortDoesNothingAndTakesNoTime)
{
    OpenQuietly();
    uint32_t word = 0;
    EXPECT_EQ(port.GetModemStatus(&word), 1);   // while open: straight through
    port.Close();
    line.input = {'a'};
    line.calls.clear();
    uint8_t buf[4] = {};
    char text[4] = "zz";
    word = 77;
    EXPECT_EQ(port.WriteByte(1) + port.WriteBuffer(buf, 1) + port.WriteString("a"), 0);
    EXPECT_EQ(port.BytesWaiting() + port.Read(buf, 1), 0u);
    EXPECT_EQ(port.PurgeInput() + port.ChangeSettings(19200, 'N', '8'), 0);
    EXPECT_EQ(port.ReadUntil(text, 3, 500, '\r') + port.ReadCount(buf, 1, 500), 0);
    EXPECT_STREQ(text, "");
    port.DrainInput(100);
    port.PurgeAndWait(10);
    port.SendLinkString("a");
    EXPECT_EQ(port.GetModemStatus(&word) + port.EscapeFunction(SETDTR), 0);
    EXPECT_EQ(word, 77u);
    EXPECT_EQ(line.calls, Calls {});
    EXPECT_EQ(clock.Now(), 0u);
}

} // namespace
} // namespace tvqx::test
