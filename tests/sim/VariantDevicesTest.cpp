#include "sim/VariantDevices.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tvqx::sim::test {
namespace {

// The host paces the unit's answers at the speed of the part that has the
// line.
TEST(VariantDevices, TalkingSpeedFollowsWhicheverPartHasTheLine)
{
    VariantDevice device = MakeDeviceForVariant(2);
    BootLineDriver line(device.Line());
    line.Speed(kApplicationBaud);
    line.Power(true);
    EXPECT_EQ(device.TalkingBaud(), kApplicationBaud);
    line.Send(Bytes(kApplicationHandOverRequest));
    line.Wait(1000);
    EXPECT_EQ(device.TalkingBaud(), kRowBootBaud);

    VariantDevice handedOver = MakeDeviceForVariant(2, {.application = {.startsInBootLoader = true}});
    handedOver.Line().SetPower(true, true, 0);
    EXPECT_EQ(handedOver.TalkingBaud(), kRowBootBaud);
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
