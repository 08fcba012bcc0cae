// The Windows serial port layer on a real COM port: under Wine a
// pseudo-terminal served by tvqx-devsim (see run-over-pty.sh, which sets
// TVQX_TEST_COM). A whole update over such a port, with what Wine cannot do
// there (no modem lines, no exclusive open, no line timing), is each
// program's own end-to-end test (tests/wine-e2e); here what a whole update
// does not show: counts, a partial read, the purge, a port without a device.

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

// What CRS232 makes of an open that failed, or of closing, is its own
// (tests/serial); here the layer's answers from a real port.
TEST_F(PortOverPty, ReadsWhatArrivedCountsItPurgesItAndOpensOnlyAPortWithADevice)
{
    RealTickClock clock;
    Win32PortLayer layer;
    EXPECT_FALSE(layer.CreateFile(m_com == 22 ? 21 : 22));
    EXPECT_FALSE(layer.CreateFile(-2000));   // no port checked
    CRS232 port(layer, clock);
    ASSERT_EQ(port.Open(m_com, 9600, 'N', 8, 1), 1);

    uint8_t buffer[32] = {};
    EXPECT_EQ(port.BytesWaiting(), 0u);
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);   // nothing there: back at once

    // The boot loader answers its entry command: version, CR, ready byte.
    port.WriteString(sim::kBootEntryCommand);
    const std::string answer = std::string(sim::kBootVersion) + "\r!";
    ASSERT_TRUE(test::WaitUntil([&] { return port.BytesWaiting() >= answer.size(); }, std::chrono::seconds(20)))
        << port.BytesWaiting();
    EXPECT_EQ(port.BytesWaiting(), answer.size());
    ASSERT_EQ(port.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, buffer + 5), answer.substr(0, 5));
    EXPECT_EQ(port.BytesWaiting(), answer.size() - 5);
    EXPECT_NE(port.PurgeInput(), 0);
    EXPECT_EQ(port.BytesWaiting(), 0u);
}

} // namespace
} // namespace tvqx::win32test
