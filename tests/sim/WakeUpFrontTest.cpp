#include "sim/PageBootLoader.h"
#include "sim/WakeUpFront.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

constexpr uint64_t kTickMs = 500;

// The program's wait: every 500 ms it reads what has come, looking for the
// wake-up byte among anything else, then sends a poll (on the tick that
// found the byte too). Returns what the program heard on each tick, in caret
// notation, up to the tick that found 0xD0.
std::vector<std::string> WaitForWakeUp(BootLineDriver& line, int ticks)
{
    std::vector<std::string> heard;
    for (int tick = 0; tick < ticks; ++tick) {
        line.Wait(kTickMs);
        std::string now;
        bool awake = false;
        for (int byte = line.Next(0); byte >= 0 && !awake; byte = line.Next(0)) {
            now += Caret(byte);
            awake = byte == kWakeUpAnswer;
        }
        heard.push_back(now);
        line.Send({kWakeUpPoll});
        if (awake)
            break;
    }
    return heard;
}

using WakeCase = FaultCase<WakeUpOptions, std::vector<std::string>>;

class WakeUpPolls : public testing::TestWithParam<WakeCase> {};
TEST_P(WakeUpPolls, ProgramFindsTheWakeUpByteWhereExpected)
{
    PageBootLoader inner;
    WakeUpFront front(inner, GetParam().faults);
    BootLineDriver line(front);
    line.Speed(9600);
    line.Power(true);
    EXPECT_EQ(WaitForWakeUp(line, 5), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Sim, WakeUpPolls,
    testing::Values(
        WakeCase{"LateWakeUpByte", {.wakeDelayMs = 700}, {"", "", "<D0>"}},
        WakeCase{"ListensAtAnotherSpeed", {.baud = 115200}, {"", "", "", "", ""}}),
    CaseName<WakeCase>);

TEST(WakeUpFront, BytesBehindTheWakeUpByteAndLatePollsDoNoHarm)
{
    PageBootLoader inner;
    WakeUpFront front(inner, {.noiseAfterWake = {'~', '#', '&'}});
    BootLineDriver line(front);
    line.Power(true);
    line.Wait(200);
    line.Send({kWakeUpPoll});
    line.Wait(kTickMs);
    line.Send({kWakeUpPoll});   // the tick that found 0xD0 polls once more
    ASSERT_EQ(front.CurrentStage(), WakeUpFront::Stage::Awake);
    EXPECT_EQ(front.PollTimes(), (std::vector<uint64_t>{200, 700}));
    EXPECT_EQ(front.WakeTime(), 200u);

    line.Wait(100);
    line.Skip();
    line.Send(Bytes(kBootEntryCommand));
    EXPECT_EQ(CaretTimeline({line.Heard().end() - 14, line.Heard().end()}), "800:TVQXR-1-4.00^M!");
    // The boot loader heard the late poll and the entry command, nothing
    // from before it woke.
    ASSERT_EQ(inner.Received().size(), 1u + 19u);
    EXPECT_EQ(inner.Received()[0].value, kWakeUpPoll);
    EXPECT_EQ(front.Received().size(), 2u + 19u);
}

TEST(WakeUpFront, PollsCountOnlyAfterTheStartCommand)
{
    PageBootLoader inner;
    WakeUpFront front(inner,
                      {.pollsBeforeWake = 2, .requireStartCommand = true, .startCommandAnswer = {'O', 'K'}});
    BootLineDriver line(front);
    line.Power(true);
    line.Send({kWakeUpPoll, kWakeUpPoll, kWakeUpPoll});
    EXPECT_EQ(front.CurrentStage(), WakeUpFront::Stage::AwaitingStartCommand);
    EXPECT_TRUE(front.PollTimes().empty());

    line.Send(Bytes("<#:<#:Z"));
    EXPECT_EQ(front.CurrentStage(), WakeUpFront::Stage::AwaitingPolls);
    line.Wait(700);
    line.Skip();
    EXPECT_EQ(WaitForWakeUp(line, 3), (std::vector<std::string>{"", "", "<D0>"}));
    EXPECT_EQ(CaretTimeline(line.Heard()), "0:OK 1700:<D0>");
}

TEST(WakeUpFront, PowerOffStartsTheCountAgain)
{
    PageBootLoader inner;
    WakeUpFront front(inner, {.pollsBeforeWake = 2});
    BootLineDriver line(front);
    line.Power(true);
    line.Send({kWakeUpPoll});
    line.Power(false);
    line.Power(true);
    line.Send({kWakeUpPoll});
    EXPECT_EQ(front.CurrentStage(), WakeUpFront::Stage::AwaitingPolls);
    line.Send({kWakeUpPoll});
    EXPECT_EQ(front.CurrentStage(), WakeUpFront::Stage::Awake);

    line.Power(false);
    EXPECT_EQ(front.CurrentStage(), WakeUpFront::Stage::Off);
    EXPECT_FALSE(front.WakeTime().has_value());
    EXPECT_EQ(front.WakeCount(), 1u);
    EXPECT_EQ(inner.PowerEvents().size(), 4u);
}

} // namespace
} // namespace tvqx::sim::test
