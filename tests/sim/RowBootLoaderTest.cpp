// The row boot loader's own rules: the records it takes and refuses, its
// XON/XOFF pacing, what power does to it. How the program meets each of its
// failures is proven in tests/app.

#include "sim/RowBootLoader.h"
#include "tests/sim/BootLineDriver.h"
#include "tests/sim/HexRows.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

using Faults = RowBootLoaderFaults;

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
    std::ranges::copy(kData0, expected.begin());
    std::ranges::copy(kData1, expected.begin() + 0x8FFE);
    EXPECT_EQ(device.Flash(), expected);
    EXPECT_TRUE(device.UpdateComplete());
}

// Each answer waits for its scripted pause; a row sent before its XON is
// lost, and the unit still waits for one.
TEST(RowBootLoader, PacesItsAnswersAndLosesWhatComesBeforeTheXon)
{
    RowBootLoader device(Faults{.responseDelayMs = 2, .readyDelayMs = 5, .xonDelayMs = 3, .rowWriteMs = 7});
    BootLineDriver line(device);
    line.Power(true);
    line.Send(Bytes(kBootEntryCommand));
    line.SkipPast(kRowXon, 100);
    line.Send(Bytes(kRows[1]));
    line.SkipPast(kRowLineComplete, 100);
    line.Send(Bytes(kRows[4]));   // does not wait for the XON
    EXPECT_EQ(device.BytesLostWhileBusy(), kRows[4].size());
    line.Wait(100);
    EXPECT_EQ(CaretTimeline(line.Heard()), "2:TVQXR-1-4.00^M 7:? 10:^Q 12:^S 19:~ 22:^Q");
    EXPECT_FALSE(device.UpdateComplete());
}

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
    line.Power(true);
    line.Send(Bytes(kRows[3]));   // no record before a new entry command
    line.Wait(100);
    EXPECT_EQ(line.Next(0), -1);

    ASSERT_TRUE(EnterRowBootLoader(line));
    EXPECT_EQ(SendRows(line, {kRows[3], kRows[4]}), "^Q^S~^Q@");
    EXPECT_EQ(device.Flash()[0], kData0[0]);
    EXPECT_EQ(device.Flash()[0x8FFF], kData1[1]);
    EXPECT_EQ(device.RowsReceived(), (std::vector<std::string>{kRows[1], kRows[3], kRows[4]}));
}

} // namespace
} // namespace tvqx::sim::test
