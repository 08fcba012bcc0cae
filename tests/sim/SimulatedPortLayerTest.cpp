#include "testsupport/SimulatedPortLayer.h"
#include "sim/PageBootLoader.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx {
namespace {

using sim::PageBootLoader;
using sim::PageBootLoaderFaults;
using sim::test::Bytes;

Dcb LineSettings(uint32_t baud)
{
    Dcb dcb;
    dcb.BaudRate = baud;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    return dcb;
}

void Write(PortHandle& port, const std::vector<uint8_t>& bytes)
{
    uint32_t written = 0;
    port.WriteFile(bytes.data(), static_cast<uint32_t>(bytes.size()), &written);
}

uint32_t Waiting(PortHandle& port)
{
    uint32_t count = 0;
    port.BytesInQueue(&count);
    return count;
}

struct LinkTest : testing::Test {
    VirtualTickClock clock;
    SimulatedPortLayer layer{clock};
};

// A port is one program's at a time; power and line speed through it are
// proven by every update in tests/app.
TEST_F(LinkTest, PortOpensOnlyOnceAtATime)
{
    PageBootLoader device;
    layer.Attach(3, device);
    EXPECT_EQ(layer.CreateFile(2), nullptr);
    auto port = layer.CreateFile(3);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(layer.CreateFile(3), nullptr);
    port.reset();
    EXPECT_NE(layer.CreateFile(3), nullptr);
}

TEST_F(LinkTest, InputQueueFillsOnVirtualTimeOnlyWhileOpen)
{
    PageBootLoaderFaults faults{.responseDelayMs = 100};
    faults.noiseAt = {{5, Bytes("stale")}, {700, std::vector<uint8_t>(40000, 0x55)}};
    PageBootLoader device(faults);
    layer.Attach(1, device);
    clock.Advance(10);
    auto port = layer.CreateFile(1);
    port->SetCommState(LineSettings(9600));
    clock.Sleep(490);
    Write(*port, Bytes("~#&TV-QX-R-205-7.31"));
    EXPECT_EQ(device.Received().back().timeMs, 500u);

    clock.Advance(99);
    EXPECT_EQ(Waiting(*port), 0u);   // "stale" came before the open
    clock.Advance(1);
    EXPECT_EQ(Waiting(*port), 14u);
    uint8_t buffer[8] = {};
    uint32_t read = 0;
    port->ReadFile(buffer, 5, &read);
    EXPECT_EQ(std::string(buffer, buffer + read), "TVQXR");
    port->PurgeComm(PURGE_RXCLEAR);
    EXPECT_EQ(Waiting(*port), 0u);

    clock.Advance(100);
    EXPECT_EQ(Waiting(*port), SimulatedPortLayer::kInputQueueCapacity);
    EXPECT_EQ(layer.DroppedBytes(1), 40000 - SimulatedPortLayer::kInputQueueCapacity);
}

} // namespace
} // namespace tvqx
