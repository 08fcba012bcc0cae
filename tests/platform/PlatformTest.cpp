// The settings file, COM port names and virtual time.

#include "platform/PathText.h"
#include "platform/PortInventory.h"
#include "platform/Profile.h"
#include "platform/TickClock.h"
#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tvqx {
namespace {

class SettingsFile : public ::testing::Test {
protected:
    test::ScratchDir scratch{"tvqx-platform"};
    const std::string& root = scratch.Root();
};

TEST_F(SettingsFile, KeepsOtherSectionsAndEntriesAndSharesTheValue)
{
    const std::string path = root + "cfg/tvqx-update.conf";
    IniFileProfile first(path);
    EXPECT_EQ(first.GetProfileInt("Settings", "ComPort", -1), -1);   // no file yet
    ASSERT_TRUE(first.WriteProfileInt("Settings", "ComPort", 4));
    std::ofstream(path, std::ios::app) << "\n[Window]\nx=10\n";
    IniFileProfile second(path);   // the other front end
    EXPECT_EQ(second.GetProfileInt("Settings", "ComPort", -1), 4);
    ASSERT_TRUE(second.WriteProfileInt("Settings", "ComPort", 7));
    ASSERT_TRUE(second.WriteProfileInt("Settings", "Other", 1));
    EXPECT_EQ(first.GetProfileInt("Settings", "ComPort", -1), 7);
    EXPECT_EQ(test::ReadAll(path), "[Settings]\nComPort=7\nOther=1\n\n[Window]\nx=10\n");
}

TEST_F(SettingsFile, UnreadableValueGivesTheDefault)
{
    const std::string path = root + "tvqx-update.conf";
    std::ofstream(path) << "[Settings]\nComPort=three\n[Other]\nComPort=5\n";
    EXPECT_EQ(IniFileProfile(path).GetProfileInt("Settings", "ComPort", -1), -1);
}

TEST(ComPortName, MatchesCom1ToCom22WithoutRegardToCase)
{
    const std::pair<const char*, int> cases[] = {
        {"COM1", 1}, {"com22", 22}, {"Com9", 9}, {"COM23", 0}, {"COM2 ", 0}, {"COM02", 0}, {"COM", 0}, {"LPT1", 0},
    };
    for (const auto& [name, n] : cases)
        EXPECT_EQ(ComPortNumber(name), n) << name;
}

// The 260-character limits count what Windows counts: a UTF-16 unit for ë
// and for 日, two for a character beyond the basic plane.
TEST(PathLength, CountsCharactersAsWindowsDoes)
{
    EXPECT_EQ(PathLength("C:\\Zo\u00eb\\\u65e5\U0001D11E"), 10u);
}

TEST(VirtualClock, RunsScheduledActionsInOrderAndNeverGoesBack)
{
    VirtualTickClock clock(100);
    std::vector<uint64_t> seen;
    clock.At(150, [&] { seen.push_back(clock.Now()); });
    clock.At(120, [&] {
        seen.push_back(clock.Now());
        clock.Advance(50);   // an action that itself waits
    });
    // The action at 150 falls inside the first action's own wait and runs
    // there, on time; the outer advance then finds time already past 160.
    EXPECT_EQ(clock.Advance(60), 1u);
    EXPECT_EQ(seen, (std::vector<uint64_t>{120, 150}));
    EXPECT_EQ(clock.Now(), 170u);
    SpinFor(clock, 30);
    EXPECT_EQ(clock.Now(), 200u);
}

TEST(VirtualClock, TickCounterWrapsAt32Bits)
{
    VirtualTickClock clock((uint64_t{1} << 32) - 10);
    const uint32_t start = clock.GetTickCount();
    clock.Advance(25);
    EXPECT_EQ(clock.GetTickCount(), 15u);
    EXPECT_EQ(clock.GetTickCount() - start, 25u);
}

} // namespace
} // namespace tvqx
