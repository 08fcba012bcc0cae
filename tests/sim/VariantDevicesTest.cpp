#include "sim/VariantDevices.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tvqx::sim::test {
namespace {

struct VariantCase {
    int variant;
    uint32_t baud;              // the speed the program opens at
    size_t pageSize;            // 0 for the row boot loader
    std::string stageAtPowerUp;
};
void PrintTo(const VariantCase& c, std::ostream* os) { *os << "variant " << c.variant; }

// Each variant's unit, powered at the program's speed, talks at that speed
// and waits for what that variant's program sends first.
class VariantDevices : public testing::TestWithParam<VariantCase> {};
TEST_P(VariantDevices, UnitWaitsForWhatItsProgramSendsFirst)
{
    VariantDevice device = MakeDeviceForVariant(GetParam().variant);
    BootLineDriver line(device.Line());
    line.Speed(GetParam().baud);
    line.Power(true);
    EXPECT_EQ(device.StageName(), GetParam().stageAtPowerUp);
    EXPECT_EQ(device.TalkingBaud(), GetParam().baud);
    if (GetParam().pageSize)
        EXPECT_EQ(device.pageLoader->PageSize(), GetParam().pageSize);
    else
        EXPECT_NE(device.rowLoader, nullptr);
    EXPECT_FALSE(device.UpdateComplete());
    EXPECT_EQ(device.Flash(), std::vector<uint8_t>(65536, 0xFF));
}
INSTANTIATE_TEST_SUITE_P(
    Sim, VariantDevices,
    testing::Values(VariantCase{1, 115200, 0, "waiting for polls"},
                    VariantCase{2, 9600, 0, "application running"},
                    VariantCase{4, 9600, kBootLargePageSize, "waiting for polls"},
                    VariantCase{5, 9600, kBootLargePageSize, "waiting for the start command"},
                    VariantCase{10, 9600, kBootPageSize, "waiting for the entry command"}),
    [](const testing::TestParamInfo<VariantCase>& info) {
        return "Variant" + std::to_string(info.param.variant);
    });

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
    for (int variant : {0, 3, 6, 11}) {
        EXPECT_FALSE(HasDeviceForVariant(variant));
        EXPECT_THROW(MakeDeviceForVariant(variant), std::invalid_argument) << variant;
    }
}

} // namespace
} // namespace tvqx::sim::test
