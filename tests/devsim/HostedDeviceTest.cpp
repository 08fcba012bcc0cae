// When the host must look at the unit: every byte the unit sends falls in a
// stretch where the host looks every millisecond, and outside those the host
// may sleep until the program does something.

#include "UnitBench.h"

#include "sim/BootLoaderEntry.h"
#include "sim/RowBootLoader.h"
#include "sim/WakeUpFront.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

// Plays the host from `fromMs` on: looks whenever the unit asks for a look,
// and collects. Returns what was heard once the unit asks for none.
std::vector<uint8_t> LookWhileAsked(UnitBench& bench, uint64_t fromMs)
{
    std::vector<uint8_t> heard;
    uint64_t now = fromMs * kNsPerMs;
    for (int looks = 0; looks < 100000; ++looks) {
        std::vector<uint8_t> out;
        bench.Unit().Collect(now, out);
        heard.insert(heard.end(), out.begin(), out.end());
        const auto next = bench.Unit().NextLookNs(now);
        if (!next)
            return heard;
        EXPECT_LE(*next, now + kNsPerMs) << "the unit is busy: no rest longer than a millisecond";
        now = std::max(*next, now + 1);
    }
    ADD_FAILURE() << "the unit never lets the host rest";
    return heard;
}

TEST(HostedDevice, EveryAnswerComesWhileTheHostIsLooking)
{
    // Every pause the row-wake unit can script, at once.
    UnitBench bench({"--variant", "row-wake", "--wake-delay", "7", "--response-delay", "20", "--ready-delay", "15",
                     "--xon-delay", "10", "--row-write", "25", "--version-pieces", "3:40,4:5"});
    bench.PowerOn(0, 115200);
    EXPECT_TRUE(LookWhileAsked(bench, 0).empty());
    bench.Send(std::vector<uint8_t>{kWakeUpPoll}, 100);
    EXPECT_EQ(LookWhileAsked(bench, 100), std::vector<uint8_t>{kWakeUpAnswer});

    bench.Send(kBootEntryCommand, 200);
    std::vector<uint8_t> welcome = Bytes(std::string(kBootVersion) + "\r?");
    welcome.push_back(kRowXon);
    EXPECT_EQ(LookWhileAsked(bench, 200), welcome);

    bench.Send(HexRecord(0, 0, {1, 2, 3}), 400);
    EXPECT_EQ(LookWhileAsked(bench, 400), (std::vector<uint8_t>{kRowXoff, kRowLineComplete, kRowXon}));
}

TEST(HostedDevice, AnIdleUnitLetsTheHostSleepUntilScriptedNoise)
{
    UnitBench bench({"--variant", "page", "--noise-at", "500:0D"});
    bench.PowerOn(0, 9600);
    EXPECT_EQ(bench.Unit().NextLookNs(100 * kNsPerMs), 500 * kNsPerMs);
    EXPECT_TRUE(bench.Heard(499).empty());
    EXPECT_EQ(bench.Heard(500), std::vector<uint8_t>{0x0D});
    EXPECT_FALSE(bench.Unit().NextLookNs(501 * kNsPerMs));
}

TEST(HostedDevice, OnlyThePartsTheUnitHasCountTowardsItsReaction)
{
    const struct {
        std::vector<std::string> args;
        uint64_t reactionMs;   // the scripted pauses, without the margin
    } cases[] = {
        {{"--variant", "page"}, 0},
        // The application's hand-over pause is the application's alone.
        {{"--variant", "row-wake"}, 0},
        {{"--variant", "row-wake", "--response-delay", "30", "--wake-delay", "5"}, 35},
        {{"--variant", "page256-wake", "--ready-delay", "12", "--version-pieces", "2:8"}, 20},
        {{"--variant", "row-app"}, 50},
        {{"--variant", "row-app", "--in-application", "--handover-delay", "0", "--app-answer-delay", "9"}, 9},
    };
    const uint64_t margin = LongestReactionMs(UnitBench({"--variant", "page"}).Unit().Device());
    for (const auto& c : cases) {
        UnitBench bench(c.args);
        EXPECT_EQ(LongestReactionMs(bench.Unit().Device()) - margin, c.reactionMs) << c.args[1];
    }
}

TEST(HostedDevice, PowerOffEndsTheBusyStretch)
{
    UnitBench bench({"--variant", "page", "--response-delay", "1000"});
    bench.PowerOn(0, 9600);
    bench.Send(kBootEntryCommand, 10);
    EXPECT_TRUE(bench.Unit().NextLookNs(500 * kNsPerMs));
    bench.Unit().PowerOff(600 * kNsPerMs);
    EXPECT_FALSE(bench.Unit().NextLookNs(600 * kNsPerMs));
}

} // namespace
} // namespace tvqx::sim::test
