#include "sim/ApplicationFront.h"
#include "sim/RowBootLoader.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

TEST(ApplicationFront, HandOverDropsDsrAfterTheDelayThenTheBootLoaderHasTheLine)
{
    RowBootLoader loader;
    ApplicationFront device(loader, {.handOverDelayMs = 80});
    BootLineDriver line(device);
    line.Speed(kApplicationBaud);
    line.Power(true);
    line.Wait(20);
    line.Send(Bytes("<W"));
    line.Wait(79);
    EXPECT_TRUE(line.Dsr());
    line.Send(Bytes(kBootEntryCommand));   // the boot loader does not listen yet
    line.Wait(1);
    EXPECT_FALSE(line.Dsr());
    EXPECT_EQ(device.HandOverTime(), 100u);

    line.Speed(kRowBootBaud);
    line.Send(Bytes("<V"));   // the application is gone
    line.Send(Bytes(kBootEntryCommand));
    EXPECT_EQ(CaretTimeline(line.Heard()), "100:TVQXR-1-4.00^M?^Q");
    EXPECT_EQ(loader.Received().size(), 2u + 19u);
    EXPECT_EQ(device.VersionRequestTimes().size(), 0u);
    EXPECT_EQ(device.HandOverRequestTimes(), std::vector<uint64_t>{20});

    // A power cycle brings the application back.
    line.Power(false);
    line.Power(true);
    EXPECT_TRUE(line.Dsr());
    EXPECT_EQ(device.CurrentStage(), ApplicationFront::Stage::Application);
}

TEST(ApplicationFront, CommandsAtAnotherSpeedGoUnheard)
{
    RowBootLoader loader;
    ApplicationFront device(loader);
    BootLineDriver line(device);
    line.Speed(kRowBootBaud);
    line.Power(true);
    line.Send(Bytes("<V<W"));
    line.Wait(500);
    EXPECT_TRUE(line.Heard().empty());
    EXPECT_TRUE(line.Dsr());
}

} // namespace
} // namespace tvqx::sim::test
