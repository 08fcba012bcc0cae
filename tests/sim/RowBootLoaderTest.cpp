#include "sim/RowBootLoader.h"
#include "tests/sim/BootLineDriver.h"
#include "tests/sim/HexRows.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tvqx::sim::test {
namespace {

using Faults = RowBootLoaderFaults;
using Case = FaultCase<Faults>;

const std::vector<uint8_t> kData0{0x02, 0x00, 0x10, 0xE4, 0xF5, 0x90};
const std::vector<uint8_t> kData1{0x12, 0x34};

// A small firmware: two data rows around the records the unit ignores.
const std::vector<std::string> kRows{
    HexRecord(0x02, 0, {0x00, 0x00}),   // segment 0
    HexRecord(0x00, 0x0000, kData0),
    HexRecord(0x03, 0, {0x00, 0x00, 0x00, 0x00}),
    HexRecord(0x00, 0x8FFE, kData1),
    EndOfFileRecord(),
};

TEST(RowBootLoader, WholeUpdateLeavesTheDataInFlash)
{
    RowBootLoader device;
    BootLineDriver line(device);
    ASSERT_TRUE(EnterRowBootLoader(line));
    EXPECT_EQ(SendRows(line, kRows), "^Q^S~^Q^S~^Q^S~^Q^S~^Q@");

    std::vector<uint8_t> expected(kRowFlashSize, 0xFF);
    std::copy(kData0.begin(), kData0.end(), expected.begin());
    std::copy(kData1.begin(), kData1.end(), expected.begin() + 0x8FFE);
    EXPECT_EQ(device.Flash(), expected);
    EXPECT_EQ(device.RowsReceived(), kRows);
    EXPECT_TRUE(device.RowsRejected().empty());
    EXPECT_TRUE(device.UpdateComplete());
    EXPECT_EQ(device.CurrentStage(), RowBootLoader::Stage::Done);
    EXPECT_EQ(device.EntryCount(), 1u);
    EXPECT_EQ(device.BytesLostWhileBusy(), 0u);
}

TEST(RowBootLoader, StepDelaysPaceTheAnswers)
{
    RowBootLoader device(Faults{.responseDelayMs = 2, .readyDelayMs = 5, .xonDelayMs = 3, .rowWriteMs = 7});
    BootLineDriver line(device);
    line.Power(true);
    line.Send(Bytes(kBootEntryCommand));
    line.SkipPast(kRowXon, 100);
    line.Send(Bytes(kRows[1]));
    line.SkipPast(kRowXon, 100);
    line.Send(Bytes(kRows[4]));
    line.Wait(10);
    EXPECT_EQ(CaretTimeline(line.Heard()), "2:TVQXR-1-4.00^M 7:? 10:^Q 12:^S 19:~ 22:^Q 24:@");
}


// What the program hears in the 4 s after the entry command.
class RowEntryFaults : public testing::TestWithParam<Case> {};
TEST_P(RowEntryFaults, ProgramHearsScriptedAnswer)
{
    RowBootLoader device(GetParam().faults);
    BootLineDriver line(device);
    line.Power(true);
    line.Send(Bytes(kBootEntryCommand));
    line.Wait(4000);
    EXPECT_EQ(CaretTimeline(line.Heard()), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Sim, RowEntryFaults,
    testing::Values(Case{"Healthy", {}, "0:TVQXR-1-4.00^M?^Q"},
                    Case{"Pieces", Faults{.versionPieces = {{6, 0}, {7, 2500}}},
                              "0:TVQXR- 2500:1-4.00^M?^Q"},
                    Case{"Slow", Faults{.responseDelayMs = 2100}, "2100:TVQXR-1-4.00^M?^Q"}),
    CaseName<Case>);

// What the program hears during the transfer of the small firmware.
class RowTransferFaults : public testing::TestWithParam<Case> {};
TEST_P(RowTransferFaults, ProgramHearsScriptedPacing)
{
    RowBootLoader device(GetParam().faults);
    BootLineDriver line(device);
    ASSERT_TRUE(EnterRowBootLoader(line));
    EXPECT_EQ(SendRows(line, kRows), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Sim, RowTransferFaults,
    testing::Values(
        Case{"StopsAfterXoff", Faults{.xonFor = {{4, {}}}, .lineCompleteFor = {{3, {}}}},
                  "^Q^S~^Q^S~^Q^S~^Q^S-"},
        Case{"WrongLineComplete", Faults{.lineCompleteFor = {{0, {'#'}}}}, "^Q^S#"},
        Case{"DiesAtRowStart", Faults{.silentFrom = RowPosition{0, 0}}, "^Q-"}),
    CaseName<Case>);

struct BadRecord {
    const char* name;
    std::string row;
};
void PrintTo(const BadRecord& c, std::ostream* os) { *os << c.name; }

// A bad record is refused (XOFF, NAK), nothing of it is written, and the unit
// asks for a record again.
class RowBadRecords : public testing::TestWithParam<BadRecord> {};
TEST_P(RowBadRecords, RefusedUnwrittenAndAskedAgain)
{
    RowBootLoader device;
    BootLineDriver line(device);
    ASSERT_TRUE(EnterRowBootLoader(line));
    ASSERT_EQ(line.Next(0), kRowXon);
    line.Send(Bytes(GetParam().row));
    const std::string xoff = Caret(line.Next(0));
    EXPECT_EQ(xoff + Caret(line.Next(0)), "^S^U");
    EXPECT_EQ(device.RowsRejected(), std::vector<size_t>{0});
    EXPECT_EQ(device.Flash(), std::vector<uint8_t>(kRowFlashSize, 0xFF));

    EXPECT_EQ(SendRows(line, {kRows[1], kRows[4]}), "^Q^S~^Q@");
    EXPECT_EQ(device.Flash()[0], kData0[0]);
}
INSTANTIATE_TEST_SUITE_P(
    Sim, RowBadRecords,
    testing::Values(BadRecord{"NoColon", "X" + kRows[1].substr(1)},
                    BadRecord{"LineEndFirst", "\r"},
                    BadRecord{"CountNotHex", ":G6000000"},
                    BadRecord{"DataNotHex", ":02000000G2FFEC"},
                    BadRecord{"WrongChecksum", HexRecord(0x00, 0, kData0, 1)},
                    BadRecord{"UnknownType", HexRecord(0x04, 0, {0x00, 0x01})},
                    BadRecord{"PastFlashEnd", HexRecord(0x00, 0xFFFF, kData1)}),
    [](const testing::TestParamInfo<BadRecord>& info) { return std::string(info.param.name); });

TEST(RowBootLoader, PowerLossMidRowRestartsButKeepsFlash)
{
    RowBootLoader device;
    BootLineDriver line(device);
    ASSERT_TRUE(EnterRowBootLoader(line));
    ASSERT_TRUE(line.SkipPast(kRowXon, 0));
    line.Send(Bytes(kRows[1]));
    ASSERT_TRUE(line.SkipPast(kRowXon, 0));
    line.Send(Bytes(kRows[3].substr(0, 7)));
    line.Power(false);
    line.Wait(100);
    line.Power(true);
    line.Send(Bytes(kRows[3]));   // no record before a new entry command
    line.Wait(100);
    EXPECT_EQ(line.Next(0), -1);
    EXPECT_EQ(device.RowsReceived(), std::vector<std::string>{kRows[1]});

    ASSERT_TRUE(EnterRowBootLoader(line));
    EXPECT_EQ(SendRows(line, {kRows[3], kRows[4]}), "^Q^S~^Q@");
    EXPECT_EQ(device.Flash()[0], kData0[0]);
    EXPECT_EQ(device.Flash()[0x8FFF], kData1[1]);
    EXPECT_EQ(device.EntryCount(), 2u);
    ASSERT_EQ(device.PowerEvents().size(), 3u);
    EXPECT_FALSE(device.PowerEvents()[1].on);
}

TEST(RowBootLoader, RowSentBeforeItsXonIsLost)
{
    RowBootLoader device(Faults{.xonDelayMs = 10});
    BootLineDriver line(device);
    ASSERT_TRUE(EnterRowBootLoader(line));
    ASSERT_EQ(line.Next(20), kRowXon);
    line.Send(Bytes(kRows[1]));
    ASSERT_EQ(line.Next(0), kRowXoff);
    ASSERT_EQ(line.Next(0), kRowLineComplete);
    line.Send(Bytes(kRows[4]));   // does not wait for the XON
    EXPECT_EQ(device.BytesLostWhileBusy(), kRows[4].size());
    EXPECT_EQ(line.Next(20), kRowXon);
    EXPECT_EQ(line.Next(100), -1);
    EXPECT_FALSE(device.UpdateComplete());
}

TEST(RowBootLoader, WrongLineSpeedGarblesBothWays)
{
    RowBootLoader device(Faults{.responseDelayMs = 10});
    BootLineDriver line(device);
    line.Speed(9600);
    line.Power(true);
    line.Send(Bytes(kBootEntryCommand));
    line.Wait(100);
    EXPECT_TRUE(line.Heard().empty());

    line.Speed(kRowBootBaud);
    line.Send(Bytes(kBootEntryCommand));
    line.Wait(5);
    line.Speed(9600);   // the answer is still on its way
    line.Wait(10);
    ASSERT_EQ(line.Heard().size(), 15u);
    for (const ReceivedByte& b : line.Heard())
        EXPECT_TRUE(b.value == 0x00 || b.value == 0xFE);
}

} // namespace
} // namespace tvqx::sim::test
