#include "sim/ApplicationFront.h"
#include "sim/RowBootLoader.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

struct AnswerCase {
    const char* name;
    ApplicationOptions options;
    std::string expected;   // what the program hears in the 3 s after "<V"
    bool dsr;               // DSR after power-up
};
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class ApplicationAnswers : public testing::TestWithParam<AnswerCase> {};
TEST_P(ApplicationAnswers, ProgramHearsScriptedAnswer)
{
    RowBootLoader loader;
    ApplicationFront device(loader, GetParam().options);
    BootLineDriver line(device);
    line.Speed(kApplicationBaud);
    line.Power(true);
    EXPECT_EQ(line.Dsr(), GetParam().dsr);
    line.Wait(10);
    line.Send(Bytes("x<V"));
    line.Wait(3000);
    EXPECT_EQ(CaretTimeline(line.Heard()), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Sim, ApplicationAnswers,
    testing::Values(
        AnswerCase{"Healthy", {}, "10:TVQXR-APP-4.12^M", true},
        AnswerCase{"TooLong", {.answerText = std::string(30, 'A')}, "10:" + std::string(30, 'A'), true},
        AnswerCase{"Silent", {.ignoreVersionRequest = true}, "", true},
        AnswerCase{"Slow", {.answerDelayMs = 1900}, "1910:TVQXR-APP-4.12^M", true},
        AnswerCase{"AlreadyInBootLoader", {.startsInBootLoader = true}, "", false}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

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

TEST(ApplicationFront, ApplicationThatNeverLetsGoKeepsDsrAndTheLine)
{
    RowBootLoader loader;
    ApplicationFront device(loader, {.dsrNeverDrops = true});
    BootLineDriver line(device);
    line.Speed(kApplicationBaud);
    line.Power(true);
    line.Send(Bytes("<W"));
    line.Wait(2000);
    EXPECT_TRUE(line.Dsr());
    line.Speed(kRowBootBaud);
    line.Send(Bytes(kBootEntryCommand));
    line.Wait(100);
    EXPECT_TRUE(line.Heard().empty());
    EXPECT_TRUE(loader.Received().empty());
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
