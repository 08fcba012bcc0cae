// The radio units as tvqx-devsim hosts them: when the host must look, what
// the trace tells, and how updates are counted while the gateway outlives
// the port's sessions.

#include "UnitBench.h"

#include "sim/BootLoaderEntry.h"
#include "sim/PageBootLoader.h"
#include "sim/RadioFrames.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

const std::vector<uint8_t> kSixEsc(6, kRadioEscape);

std::vector<uint8_t> RadioSetUp()
{
    std::vector<uint8_t> bytes = Bytes("<RP");
    for (const std::vector<uint8_t>* frame : {&kPanIdFrame, &kChannelFrame, &kApiModeFrame})
        bytes.insert(bytes.end(), frame->begin(), frame->end());
    return bytes;
}

TEST(RadioHost, ScheduledSetupPressIsLookedAtWhenDue)
{
    UnitBench bench({"--variant", "radio-page", "--setup-after", "300"});
    bench.PowerOn(0, 38400);
    bench.Send(kSixEsc, 500);
    bench.Send("<V", 500);
    EXPECT_EQ(bench.Heard(600), Bytes("TVRG-400 V2.03\r"));
    bench.Send("<RS", 1000);
    EXPECT_TRUE(bench.Heard(1100).empty());
    // Nothing under way but the press: the host may rest until it.
    EXPECT_EQ(bench.Unit().NextLookNs(1200 * kNsPerMs), 1300 * kNsPerMs);
    EXPECT_TRUE(bench.Heard(1299).empty());
    EXPECT_EQ(bench.Heard(1300), Bytes("$ROVER,7,00A4B512,7C3E9D01,3332,0C*4A\r"));
    bench.ExpectInOrder({"gateway found at 38400", "listening",
                         "Setup pressed: parameter line sent"});
}

TEST(RadioHost, LinkedUpdateCountsOnceInItsPortSession)
{
    UnitBench bench({"--variant", "radio-page", "--link-configured", "--fast"});
    bench.PowerOn(0, 38400);
    bench.Send(kSixEsc, 500);
    bench.Send("<V", 500);
    bench.Send(RadioSetUp(), 600);
    bench.Heard(1100);
    bench.Send(std::vector<uint8_t>{kPageProbe}, 1100);
    EXPECT_EQ(bench.Heard(1110), std::vector<uint8_t>{kPageProbeAnswer});

    bench.Send(kBootEntryCommand, 1200);
    EXPECT_EQ(bench.Heard(1210), Bytes(std::string(kBootVersion) + "\r!"));
    std::vector<uint8_t> page{0, 0};
    page.insert(page.end(), kBootLargePageSize, 0x1B);   // ESC bytes inside data stay data
    page.push_back(static_cast<uint8_t>(kBootLargePageSize * 0x1B));
    bench.Send(page, 1300);
    EXPECT_EQ(bench.Heard(1310), std::vector<uint8_t>{'!'});
    bench.Send(std::vector<uint8_t>{0xFF, 0xFF}, 1400);
    EXPECT_EQ(bench.Heard(1410), std::vector<uint8_t>{'!'});
    EXPECT_TRUE(bench.Unit().UpdateCompleted());

    // The port closed and opened again: the same update is not a new one.
    bench.Unit().PowerOff(1500 * kNsPerMs);
    bench.PowerOn(1600, 38400);
    bench.Send(kSixEsc, 2200);
    bench.Send("<W", 2200);
    bench.Heard(2200);
    EXPECT_FALSE(bench.Unit().UpdateCompleted());
    EXPECT_EQ(bench.Unit().Device().gateway->Errors(), std::vector<std::string>{});
    bench.ExpectInOrder({"<RP frames ok", "link up", "probe 0xC0 reached the remote unit: answered",
                         "entry command received", "end marker received: 1 pages written", "six ESC",
                         "starts afresh"});
}

} // namespace
} // namespace tvqx::sim::test
