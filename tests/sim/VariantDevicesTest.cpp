#include "sim/VariantDevices.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tvqx::sim::test {
namespace {

TEST(VariantDevices, StageFollowsWhicheverPartHasTheLine)
{
    VariantDevice device = MakeDeviceForVariant(1);
    BootLineDriver line(device.Line());
    line.Speed(115200);
    line.Power(true);
    line.Send({kWakeUpPoll});
    EXPECT_EQ(device.StageName(), "waiting for the entry command");
    line.Send(Bytes(kBootEntryCommand));
    EXPECT_EQ(device.StageName(), "receiving rows");
    EXPECT_EQ(device.Received().size(), 20u);

    VariantDevice handedOver = MakeDeviceForVariant(2, {.application = {.startsInBootLoader = true}});
    handedOver.Line().SetPower(true, true, 0);
    EXPECT_EQ(handedOver.TalkingBaud(), kRowBootBaud);
    EXPECT_EQ(handedOver.StageName(), "waiting for the entry command");
}

TEST(VariantDevices, FactoryKeepsEachVariantsSpeedAndStartCommand)
{
    EXPECT_EQ(MakeDeviceForVariant(1, {.wakeUp = {.baud = 9600}}).wakeUp->Options().baud, 115200u);
    EXPECT_EQ(MakeDeviceForVariant(4, {.wakeUp = {.baud = 115200}}).wakeUp->Options().baud, 9600u);
    EXPECT_FALSE(MakeDeviceForVariant(4).wakeUp->Options().requireStartCommand);
    EXPECT_TRUE(MakeDeviceForVariant(5).wakeUp->Options().requireStartCommand);
    for (int variant : {0, 7, 11}) {
        EXPECT_FALSE(HasDeviceForVariant(variant));
        EXPECT_THROW(MakeDeviceForVariant(variant), std::invalid_argument) << variant;
    }
}

} // namespace
} // namespace tvqx::sim::test
