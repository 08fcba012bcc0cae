// The Windows serial port layer on a real COM port: under Wine a
// pseudo-terminal served by tvqx-devsim (see run-over-pty.sh, which sets
// TVQX_TEST_COM). A whole update over such a port is the console program's
// own end-to-end test (tests/wine-e2e). What Wine cannot do on a
// pseudo-terminal is expected as such, each limit by name:
//   - no modem lines: GetCommModemStatus and EscapeCommFunction fail with
//     error 50 (ERROR_NOT_SUPPORTED);
//   - no exclusive open: a second CreateFileA of the port succeeds;
//   - no line timing: bytes pass at once whatever the speed, so nothing here
//     measures time on the line (the device runs with --fast).

#include "serial/CRS232.h"
#include "serial/Win32PortLayer.h"
#include "sim/BootLoaderEntry.h"

#include "tests/common/OverPty.h"
#include "tests/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tvqx::win32test {
namespace {

class PortOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_com = test::PortOverPty();
        ASSERT_GT(m_com, 0) << "run these tests through tests/win32/run-over-pty.sh";
    }

    int m_com = 0;
};

TEST_F(PortOverPty, ReadsWhatArrivedCountsItAndPurgesIt)
{
    RealTickClock clock;
    Win32PortLayer layer;
    CRS232 port(layer, clock);
    ASSERT_EQ(port.Open(m_com, 9600, 'N', 8, 1), 1);
    EXPECT_EQ(port.GetPortNumber(), m_com);

    uint8_t buffer[32] = {};
    EXPECT_EQ(port.BytesWaiting(), 0u);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);   // nothing there: back at once

    // The boot loader answers its entry command: version, CR, ready byte.
    port.WriteString(sim::kBootEntryCommand);
    const std::string answer = std::string(sim::kBootVersion) + "\r!";
    ASSERT_TRUE(test::WaitUntil([&] { return port.BytesWaiting() >= answer.size(); }, std::chrono::seconds(20))) << port.BytesWaiting();
    EXPECT_EQ(port.BytesWaiting(), answer.size());
    ASSERT_EQ(port.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, buffer + 5), answer.substr(0, 5));
    EXPECT_EQ(port.BytesWaiting(), answer.size() - 5);
    EXPECT_NE(port.PurgeInput(), 0);
    EXPECT_EQ(port.BytesWaiting(), 0u);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);

    port.Close();
    EXPECT_EQ(port.GetPortNumber(), -1);
}

TEST_F(PortOverPty, PortWithoutADeviceDoesNotOpen)
{
    RealTickClock clock;
    Win32PortLayer layer;
    const int missing = m_com == 22 ? 21 : 22;
    EXPECT_FALSE(layer.CreateFile(missing));
    EXPECT_FALSE(layer.CreateFile(-2000));
    CRS232 port(layer, clock);
    EXPECT_EQ(port.Open(missing, 9600, 'N', 8, 1), 0);
    EXPECT_EQ(port.GetPortNumber(), -1);
}

TEST_F(PortOverPty, ModemLinesAndExclusiveOpenAsTheSystemHasThem)
{
    Win32PortLayer layer;
    auto first = layer.CreateFile(m_com);
    ASSERT_TRUE(first);
    uint32_t status = 0;
    ::SetLastError(0);
    const int modem = first->GetCommModemStatus(&status);
    const DWORD modemError = ::GetLastError();
    ::SetLastError(0);
    const int dtr = first->EscapeCommFunction(CLRDTR);
    const DWORD dtrError = ::GetLastError();
    ::SetLastError(0);
    const int rts = first->EscapeCommFunction(CLRRTS);
    const DWORD rtsError = ::GetLastError();
    const auto second = layer.CreateFile(m_com);

    if (RunningUnderWine()) {
        // Wine's limits on a pseudo-terminal, tolerated: no modem lines...
        EXPECT_EQ(modem, 0);
        EXPECT_EQ(modemError, DWORD{ERROR_NOT_SUPPORTED});
        EXPECT_EQ(dtr, 0);
        EXPECT_EQ(dtrError, DWORD{ERROR_NOT_SUPPORTED});
        EXPECT_EQ(rts, 0);
        EXPECT_EQ(rtsError, DWORD{ERROR_NOT_SUPPORTED});
        // ...and no exclusive open.
        EXPECT_TRUE(second);
    } else {
        EXPECT_NE(modem, 0);
        EXPECT_NE(dtr, 0);
        EXPECT_NE(rts, 0);
        EXPECT_FALSE(second) << "a port opened without sharing opened twice";
    }
}

} // namespace
} // namespace tvqx::win32test
