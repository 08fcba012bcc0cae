// CRS232 over the termios port layer on a real pseudo-terminal. The test holds
// the master side, playing the device; the port opens the slave as COM5.

#include "platform/LinuxTermios2.h"
#include "serial/CRS232.h"
#include "serial/PosixPortLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include <linux/serial.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace tvqx::test {
namespace {

class PosixPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[256] = {};
        ASSERT_EQ(::openpty(&m_master, &m_slave, name, nullptr, nullptr), 0);
        m_slavePath = name;
        m_found = SlaveSettings();
        ASSERT_EQ(port.Open(5, 19200, 'N', 8, 1), 1);
    }
    void TearDown() override
    {
        port.Close();
        for (int fd : {m_master, m_slave})
            if (fd >= 0)
                ::close(fd);
    }
    termios SlaveSettings()
    {
        termios t {};
        EXPECT_EQ(::tcgetattr(m_slave, &t), 0);
        return t;
    }

    int m_master = -1;
    int m_slave = -1;
    termios m_found {};   // the pseudo-terminal's own settings, before the port opened
    std::string m_slavePath;
    PosixPortLayer::PathResolver resolver = [this](int n) { return n == 5 ? m_slavePath : std::string(); };
    PosixPortLayer layer {resolver};
    RealTickClock clock;   // only ever waits for bytes already on their way
    CRS232 port {layer, clock};
};

TEST_F(PosixPort, OpenSetsARawLineWithoutFlowControl)
{
    termios t = SlaveSettings();
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B19200));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD), tcflag_t(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);

    port.ChangeSettings(115200, 'N', '8');
    EXPECT_EQ(::cfgetospeed(&(t = SlaveSettings())), speed_t(B115200));
    // A pseudo-terminal forces 8 data bits and drops PARENB; the rest of
    // mark parity still shows.
    ASSERT_EQ(port.Open(5, 9600, 'M', 8, 2), 1);
    EXPECT_EQ((t = SlaveSettings()).c_cflag & (PARODD | CMSPAR | CSTOPB), tcflag_t(PARODD | CMSPAR | CSTOPB));
}

// Every speed a procedure uses reaches the line as itself (14400 has no B
// constant and goes through the kernel's own record): simulated lines take
// any speed the program names, so only a real terminal can tell.
#ifdef TVQX_HAVE_TERMIOS2
TEST_F(PosixPort, EverySpeedReachesTheLineAsItself)
{
    for (uint32_t baud : {9600u, 14400u, 19200u, 38400u, 57600u, 115200u}) {
        ASSERT_EQ(port.Open(5, static_cast<int>(baud), 'N', 8, 1), 1) << baud;
        termios2::Settings t {};
        ASSERT_TRUE(termios2::Get(m_slave, t));
        EXPECT_EQ(t.c_ospeed, baud);
        EXPECT_EQ(t.c_ispeed, baud);
    }
}
#endif

// All but the speed, which stays with the last bytes sent.
TEST_F(PosixPort, CloseLeavesTheTerminalAsFound)
{
    port.Close();
    const termios t = SlaveSettings();
    EXPECT_EQ(t.c_iflag, m_found.c_iflag);
    EXPECT_EQ(t.c_oflag, m_found.c_oflag);
    EXPECT_EQ(t.c_cflag & ~tcflag_t(CBAUD | CBAUDEX), m_found.c_cflag & ~tcflag_t(CBAUD | CBAUDEX));
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B19200));
    EXPECT_EQ(t.c_lflag, m_found.c_lflag);
    EXPECT_TRUE(std::equal(std::begin(t.c_cc), std::end(t.c_cc), std::begin(m_found.c_cc)));
}

TEST_F(PosixPort, ReadsWhatArrivesAsItIsAndPurgeDropsTheRest)
{
    ASSERT_EQ(::write(m_master, "hi\r\nabc", 7), 7);
    uint8_t buf[8] = {};
    EXPECT_EQ(port.ReadCount(buf, 5, 2000), 5);
    EXPECT_EQ(std::string(buf, buf + 5), "hi\r\na");   // no line discipline in between
    for (int i = 0; i < 2000 && port.BytesWaiting() < 2; ++i)
        clock.Idle();
    EXPECT_EQ(port.BytesWaiting(), 2u);
    EXPECT_NE(port.PurgeInput(), 0);
    EXPECT_EQ(port.BytesWaiting(), 0u);
}

// On a silent line one rest lasts until the wait's limit, and not a tick less.
TEST_F(PosixPort, RestOnASilentPortLastsUntilTheLimit)
{
    const uint32_t start = clock.GetTickCount();
    port.RestUntilInput(start, 20);
    EXPECT_GE(clock.GetTickCount() - start, 20u);
}

TEST_F(PosixPort, AsksTheDriverForLowLatencyAndPutsItsOwnSettingBack)
{
    port.Close();
    std::vector<int> sets;   // the flags of each record written, in turn
    bool refuse = false;
    PosixPortLayer adapters(resolver, {[](int, serial_struct& s) { s = {}; s.flags = ASYNC_SKIP_TEST; return true; },
                                       [&](int, const serial_struct& s) {
                                           sets.push_back(s.flags);
                                           return !refuse;
                                       }});
    CRS232 adapter(adapters, clock);
    ASSERT_EQ(adapter.Open(5, 9600, 'N', 8, 1), 1);
    EXPECT_EQ(sets, (std::vector<int>{ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY}));
    adapter.Close();
    EXPECT_EQ(sets, (std::vector<int>{ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY, ASYNC_SKIP_TEST}));

    // Refused: the port works as it is, and there is nothing to put back.
    refuse = true;
    ASSERT_EQ(adapter.Open(5, 9600, 'N', 8, 1), 1);
    ASSERT_EQ(::write(m_master, "x", 1), 1);
    uint8_t byte = 0;
    EXPECT_EQ(adapter.ReadCount(&byte, 1, 2000), 1);
    adapter.Close();
    EXPECT_EQ(sets.size(), 3u);
}

TEST_F(PosixPort, PortIsHeldExclusivelyUntilClosed)
{
    CRS232 other(layer, clock);
    EXPECT_EQ(other.Open(5, 9600, 'N', 8, 1), 0);
    EXPECT_EQ(other.GetPortNumber(), -1);
    port.Close();
    EXPECT_EQ(port.GetPortNumber(), -1);
    EXPECT_EQ(other.Open(5, 9600, 'N', 8, 1), 1);
    EXPECT_EQ(port.Open(6, 9600, 'N', 8, 1), 0);   // no such port
}

} // namespace
} // namespace tvqx::test
