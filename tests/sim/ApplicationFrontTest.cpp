// The application's own rule beyond what tests/app proves of the hand-over:
// once it has handed over, it is gone until the next power-up.

#include "sim/ApplicationFront.h"
#include "sim/RowBootLoader.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

TEST(ApplicationFront, HandedOverItIsGoneUntilThePowerComesBack)
{
    RowBootLoader loader;
    ApplicationFront device(loader, {.handOverDelayMs = 80});
    BootLineDriver line(device);
    line.Speed(kApplicationBaud);
    line.Power(true);
    line.Send(Bytes("<W"));
    line.Wait(80);
    EXPECT_FALSE(line.Dsr());

    line.Speed(kRowBootBaud);
    line.Send(Bytes("<V"));
    line.Send(Bytes(kBootEntryCommand));
    EXPECT_EQ(CaretTimeline(line.Heard()), "80:TVQXR-1-4.00^M?^Q");
    EXPECT_TRUE(device.VersionRequestTimes().empty());

    line.Power(false);
    line.Power(true);
    EXPECT_TRUE(line.Dsr());
    EXPECT_EQ(device.CurrentStage(), ApplicationFront::Stage::Application);
}

} // namespace
} // namespace tvqx::sim::test
