// The wake-up front's own timing: which poll wakes the unit, when the
// wake-up byte follows it, and that a power cut starts the count again. The
// program's polling is proven in tests/app.

#include "sim/PageBootLoader.h"
#include "sim/WakeUpFront.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

TEST(WakeUpFront, WakesAtItsPollAfterItsDelayAndCountsAgainAfterPowerOff)
{
    PageBootLoader inner;
    WakeUpFront front(inner, {.pollsBeforeWake = 2, .wakeDelayMs = 700, .pollAnswer = {'?'}});
    BootLineDriver line(front);
    line.Power(true);
    for (int tick = 0; tick < 4; ++tick) {   // the program polls every 500 ms
        line.Wait(500);
        line.Send({kWakeUpPoll});
    }
    EXPECT_EQ(CaretTimeline(line.Heard()), "500:? 1700:<D0>");
    EXPECT_EQ(front.WakeTime(), 1700u);
    EXPECT_EQ(front.PollTimes(), (std::vector<uint64_t>{500, 1000, 1500, 2000}));

    line.Power(false);
    EXPECT_FALSE(front.WakeTime().has_value());
    line.Power(true);
    line.Send({kWakeUpPoll});
    EXPECT_EQ(front.CurrentStage(), WakeUpFront::Stage::AwaitingPolls);
    line.Send({kWakeUpPoll});
    EXPECT_EQ(front.CurrentStage(), WakeUpFront::Stage::Awake);
    EXPECT_EQ(front.WakeCount(), 2u);
}

} // namespace
} // namespace tvqx::sim::test
