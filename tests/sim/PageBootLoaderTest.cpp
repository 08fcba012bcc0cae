// The page boot loader's own rules: which pages it writes, what a scripted
// fault does to its answers, what power and line speed do to it. How the
// program meets each of its failures is proven in tests/app.

#include "sim/PageBootLoader.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

using Faults = PageBootLoaderFaults;
using Case = FaultCase<Faults>;

// Power, the program's 500 ms pause, then the entry command.
void Wake(BootLineDriver& line)
{
    line.Power(true);
    line.Wait(500);
    line.Send(Bytes(kBootEntryCommand));
}

// What the program hears of a session: the wake-up, five seconds later one
// page, once it is answered the end marker.
class ScriptedFaults : public testing::TestWithParam<Case> {};
TEST_P(ScriptedFaults, ProgramHearsThemWhenScripted)
{
    PageBootLoader device(GetParam().faults);
    BootLineDriver line(device);
    Wake(line);
    line.Wait(4500);
    line.Skip();
    line.SendPage(0, PageData(0));   // waits for its answer
    line.Send({kBootEndMarkerByte, kBootEndMarkerByte});
    line.Wait(3000);
    EXPECT_EQ(CaretTimeline(line.Heard()), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Sim, ScriptedFaults,
    testing::Values(
        Case{"Slow", Faults{.responseDelayMs = 2000}, "2500:TVQXR-1-4.00^M! 7030:! 9030:!"},
        Case{"LateReady", Faults{.readyDelayMs = 1200}, "500:TVQXR-1-4.00^M 1700:! 5030:! 5050:!"},
        Case{"WrongThenReady", Faults{.readyByte = 'x', .readyAfterWrongByte = true},
             "500:TVQXR-1-4.00^Mx! 5030:! 5050:!"},
        Case{"LineNoise", Faults{.noiseAt = {{700, {'#', '~'}}, {200, {'*'}}}},
             "200:* 500:TVQXR-1-4.00^M! 700:#~ 5030:! 5050:!"},
        Case{"NoiseBeforeEndAnswer", Faults{.noiseBeforeAnswer = {{3, {'x'}}}}, "500:TVQXR-1-4.00^M! 5030:! 5050:x!"},
        Case{"OtherEndAnswer", Faults{.endMarkerAnswer = 'E'}, "500:TVQXR-1-4.00^M! 5030:! 5050:E"}),
    CaseName<Case>);

// A page is written only with a good checksum and only when it lies in the
// flash; small and large pages alike. (Scripted resends: tests/app.)
TEST(PageBootLoader, WritesOnlyGoodPagesInRange)
{
    for (const size_t size : {kBootPageSize, kBootLargePageSize}) {
        SCOPED_TRACE(size);
        const auto pages = static_cast<uint16_t>(kBootFlashSize / size);
        PageBootLoader device({}, size);
        BootLineDriver line(device);
        Wake(line);
        line.Skip();
        EXPECT_EQ(line.SendPage(3, PageData(3, size), 1), '@');   // bad checksum
        EXPECT_EQ(line.SendPage(7, PageData(7, size)), '!');
        EXPECT_EQ(line.SendPage(pages - 1, PageData(pages - 1, size)), '!');
        EXPECT_EQ(line.SendPage(pages, PageData(0, size)), '@');
        EXPECT_EQ(device.PagesReceived(), (std::vector<uint16_t>{3, 7, static_cast<uint16_t>(pages - 1), pages}));
        EXPECT_EQ(device.PagesWritten(), (std::vector<uint16_t>{7, static_cast<uint16_t>(pages - 1)}));
        std::vector<uint8_t> expected(kBootFlashSize, 0xFF);
        std::ranges::copy(PageData(7, size), expected.begin() + 7 * size);
        std::ranges::copy(PageData(pages - 1, size), expected.end() - size);
        EXPECT_EQ(device.Flash(), expected);
    }
}

TEST(PageBootLoader, PowerLossDropsPendingAnswerAndRestartsButKeepsFlash)
{
    PageBootLoader device(Faults{.responseDelayMs = 100});
    BootLineDriver line(device);
    Wake(line);
    line.Wait(100);
    line.Skip();
    EXPECT_EQ(line.SendPage(0, PageData(0)), '!');
    line.Send({0, 1});
    line.Send(PageData(1));
    line.Send({Checksum(PageData(1))});
    line.Wait(50);   // power fails while the answer is on its way
    line.Power(false);
    line.Wait(200);
    EXPECT_EQ(line.Next(0), -1);
    EXPECT_FALSE(device.Dsr());

    line.Power(true);
    EXPECT_EQ(line.SendPage(2, PageData(2)), -1);   // no page before a new entry
    line.Send(Bytes(kBootEntryCommand));
    EXPECT_EQ(line.Next(200), 'T');
    EXPECT_EQ(device.PagesWritten(), (std::vector<uint16_t>{0, 1}));
    EXPECT_EQ(device.Flash()[128], PageData(1)[0]);
    ASSERT_EQ(device.PowerEvents().size(), 3u);
    EXPECT_EQ(device.PowerEvents()[1].timeMs, 780u);
    EXPECT_FALSE(device.PowerEvents()[1].on);
}

// Every device's line: one listening at another speed neither understands
// nor is understood.
TEST(PageBootLoader, WrongLineSpeedGarblesBothWays)
{
    PageBootLoader device(Faults{.responseDelayMs = 100});
    BootLineDriver line(device);
    device.SetLineSpeed(19200, 0);
    Wake(line);
    line.Wait(1000);
    EXPECT_TRUE(line.Heard().empty());

    device.SetLineSpeed(9600, line.Now());
    line.Send(Bytes(kBootEntryCommand));
    line.Wait(50);
    device.SetLineSpeed(19200, line.Now());   // the answer is still on its way
    line.Wait(50);
    ASSERT_EQ(line.Heard().size(), 14u);
    for (const ReceivedByte& b : line.Heard())
        EXPECT_TRUE(b.value == 0x00 || b.value == 0xFE);
}

} // namespace
} // namespace tvqx::sim::test
