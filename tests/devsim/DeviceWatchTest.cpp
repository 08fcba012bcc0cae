// What the trace says about each unit, for short exchanges driven byte by
// byte.

#include "UnitBench.h"

#include "sim/ApplicationFront.h"
#include "sim/BootLoaderEntry.h"
#include "sim/PageBootLoader.h"
#include "sim/RowBootLoader.h"
#include "sim/WakeUpFront.h"
#include "sim/pty/RowWatch.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tvqx::sim::test {
namespace {

const std::vector<uint8_t> kRowWelcome = [] {
    std::vector<uint8_t> bytes = Bytes(std::string(kBootVersion) + "\r?");
    bytes.push_back(kRowXon);
    return bytes;
}();
const std::vector<uint8_t> kRowTaken{kRowXoff, kRowLineComplete, kRowXon};

// Wakes a row-wake unit with one poll and enters its boot loader.
void WakeAndEnter(UnitBench& bench)
{
    bench.PowerOn(0, 115200);
    bench.Send(std::vector<uint8_t>{kWakeUpPoll}, 10);
    ASSERT_EQ(bench.Heard(10), std::vector<uint8_t>{kWakeUpAnswer});
    bench.Send(kBootEntryCommand, 20);
    ASSERT_EQ(bench.Heard(20), kRowWelcome);
}

// The row exchange of the row-wake unit: a good row, a bad one, one whose
// XOFF is scripted wrong, and the end-of-file record.
std::string RowExchange(const std::vector<std::string>& extra)
{
    std::vector<std::string> args{"--variant", "row-wake", "--polls-before-wake", "2", "--wrong-xoff", "3:41"};
    args.insert(args.end(), extra.begin(), extra.end());
    UnitBench bench(args);
    bench.PowerOn(0, 115200);
    bench.Send(std::vector<uint8_t>{kWakeUpPoll}, 10);
    EXPECT_TRUE(bench.Heard(10).empty());
    bench.Send(std::vector<uint8_t>{kWakeUpPoll}, 510);
    EXPECT_EQ(bench.Heard(510), std::vector<uint8_t>{kWakeUpAnswer});
    // The poll of the tick that found the wake-up byte reaches the boot
    // loader, which takes no notice of it.
    bench.Send(std::vector<uint8_t>{kWakeUpPoll}, 1010);
    bench.Send(kBootEntryCommand, 1020);
    EXPECT_EQ(bench.Heard(1020), kRowWelcome);
    bench.Send(HexRecord(0, 0x0010, {1, 2, 3, 4}), 1030);
    EXPECT_EQ(bench.Heard(1030), kRowTaken);
    bench.Send(HexRecord(0, 0x0014, {5}, 1), 1040);
    EXPECT_EQ(bench.Heard(1040), (std::vector<uint8_t>{kRowXoff, kRowRejected, kRowXon}));
    bench.Send(HexRecord(0, 0x0020, {6, 7}), 1050);
    EXPECT_EQ(bench.Heard(1050), (std::vector<uint8_t>{'A', kRowLineComplete, kRowXon}));
    EXPECT_FALSE(bench.Unit().UpdateCompleted());
    bench.Send(HexRecord(1, 0, {}), 1060);
    EXPECT_EQ(bench.Heard(1060), std::vector<uint8_t>{kRowFileComplete});
    EXPECT_TRUE(bench.Unit().UpdateCompleted());
    const std::vector<uint8_t>& flash = bench.Unit().Flash();
    EXPECT_EQ(std::vector<uint8_t>(flash.begin() + 0x10, flash.begin() + 0x16),
              (std::vector<uint8_t>{1, 2, 3, 4, 0xFF, 0xFF}));
    bench.ExpectInOrder({"poll 1 (0xC0) received; wakes at poll 2", "poll 2 (0xC0) received: awake, 0xD0 sent",
                         "entry command received", "version answered: \"TVQXR-1-4.00\" + CR",
                         "ready sent: '?', then XON for row 1", "row 2 refused (bad checksum): answered XOFF, NAK",
                         "row 3: 2 bytes at 0x0020 written; 'A' instead of XOFF",
                         "row 4: end-of-file record, file complete; answering '@'"});
    return bench.Trace();
}

TEST(DeviceWatch, RowWakeUnitTracesPollsEntryAndEveryRow)
{
    const std::string trace = RowExchange({});
    EXPECT_NE(trace.find("row 1: 4 bytes at 0x0010 written\n"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("poll 3"), std::string::npos) << "a poll after the wake-up is the boot loader's\n" << trace;
}

TEST(DeviceWatch, QuietLeavesOutOnlyTheRowsThatWentAsTheyShould)
{
    const std::string trace = RowExchange({"--quiet"});
    EXPECT_EQ(trace.find("row 1:"), std::string::npos) << trace;
}

TEST(DeviceWatch, RowFaultsAreNamedOnTheirRow)
{
    UnitBench bench({"--variant", "1", "--no-xon", "2", "--at-storm", "1:3", "--silent-at-row", "3:5"});
    WakeAndEnter(bench);
    bench.Send(HexRecord(0, 0, {9}), 30);
    EXPECT_EQ(bench.Heard(30), (std::vector<uint8_t>{'@', '@', '@', kRowLineComplete}));
    // The program would give up here; pressing on finds the unit dead.
    bench.Send(HexRecord(0, 1, {9}), 40);
    bench.Heard(40);
    bench.Send(HexRecord(0, 2, {9}), 50);
    EXPECT_TRUE(bench.Heard(50).empty());
    bench.ExpectInOrder({"row 1: 1 byte at 0x0000 written; 3 x '@' instead of XOFF; no XON",
                         "row 3, character 5: the device goes silent"});
}

TEST(DeviceWatch, Page256StartUnitWaitsForTheStartCommand)
{
    UnitBench bench({"--variant", "page256-start", "--start-answer", "4F4B", "--resend", "0:1"});
    bench.PowerOn(0, 9600);
    bench.Send(std::vector<uint8_t>{kWakeUpPoll}, 10);
    EXPECT_TRUE(bench.Heard(10).empty());
    bench.Send(kWakeUpStartCommand, 20);
    EXPECT_EQ(bench.Heard(20), Bytes("OK"));
    bench.Send(std::vector<uint8_t>{kWakeUpPoll}, 30);
    EXPECT_EQ(bench.Heard(30), std::vector<uint8_t>{kWakeUpAnswer});
    bench.Send(kBootEntryCommand, 40);
    EXPECT_EQ(bench.Heard(40), Bytes(std::string(kBootVersion) + "\r!"));

    std::vector<uint8_t> frame{0, 0};
    unsigned sum = 0;
    for (size_t i = 0; i < kBootLargePageSize; ++i) {
        frame.push_back(static_cast<uint8_t>(i * 3));
        sum += frame.back();
    }
    frame.push_back(static_cast<uint8_t>(sum));
    bench.Send(frame, 50);
    EXPECT_EQ(bench.Heard(50), std::vector<uint8_t>{kBootPageResend});
    bench.Send(frame, 60);
    EXPECT_EQ(bench.Heard(60), std::vector<uint8_t>{kBootPageAccepted});
    bench.Send(std::vector<uint8_t>{0xFF, 0xFF}, 70);
    EXPECT_EQ(bench.Heard(70), std::vector<uint8_t>{'!'});
    EXPECT_TRUE(bench.Unit().UpdateCompleted());
    EXPECT_TRUE(std::equal(frame.begin() + 2, frame.end() - 1, bench.Unit().Flash().begin()));
    EXPECT_EQ(bench.Unit().Flash()[kBootLargePageSize], 0xFF);

    bench.ExpectInOrder({"poll 0xC0 ignored: no start command \"<#:Z\" yet",
                         "start command \"<#:Z\" received; answering 'O' 'K'",
                         "poll 1 (0xC0) received: awake, 0xD0 sent", "entry command received", "ready sent: '!'",
                         "page 0: checksum ok, not written, answered '@' (--resend)", "page 0 sent again (resend 1)",
                         "page 0: checksum ok, written, answered '!'", "end marker received: 1 pages written"});
}

TEST(DeviceWatch, ApplicationHandsOverWhenAskedAndTheRowBootLoaderTakesTheLine)
{
    UnitBench bench({"--variant", "row-app", "--in-application", "--handover-delay", "30"});
    bench.PowerOn(0, 9600);
    bench.Send(kApplicationVersionRequest, 10);
    EXPECT_EQ(bench.Heard(10), Bytes(kApplicationAnswer));
    bench.Send(kApplicationHandOverRequest, 20);
    bench.Unit().Tick(49 * kNsPerMs);
    EXPECT_EQ(bench.Trace().find("DSR dropped"), std::string::npos) << "not before its time";
    bench.Unit().Tick(50 * kNsPerMs);
    bench.Unit().SetLineSpeed(115200, 60 * kNsPerMs);
    bench.Send(kBootEntryCommand, 70);
    EXPECT_EQ(bench.Heard(70), kRowWelcome);
    bench.ExpectInOrder({"\"<V\" received: answering \"TVQXR-APP-4.12\" + CR",
                         "\"<W\" received: DSR drops in 30 ms, then the boot loader has the line at 115200 baud",
                         "DSR dropped: the boot loader has the line", "entry command received"});
    EXPECT_EQ(bench.Trace().find("DSR dropped", bench.Trace().find("DSR dropped") + 1), std::string::npos)
        << "once";
}

TEST(DeviceWatch, IgnoredEntryCommandIsStillTraced)
{
    for (const char* variant : {"page", "row-app"}) {
        UnitBench bench({"--variant", variant, "--no-answer"});
        bench.PowerOn(0, std::string(variant) == "page" ? 9600 : 115200);
        bench.Send(kBootEntryCommand, 10);
        EXPECT_TRUE(bench.Heard(10).empty()) << variant;
        bench.ExpectInOrder({"entry command received: ignored (--no-answer)"});
    }
}

TEST(RowWatch, SaysWhyARecordWasRefused)
{
    const struct {
        std::string record;
        const char* why;
    } cases[] = {
        {"", "not a record: starts with 0x00"},
        {" :00000001FF", "not a record: starts with 0x20"},
        {":0G000001FF", "no readable length"},
        {":0100000Z00", "not hex digits"},
        {HexRecord(0, 0x10, {1}, 1), "bad checksum"},
        {HexRecord(0, 0xFFFF, {1, 2}), "beyond the flash"},
        {HexRecord(7, 0, {}), "record type 0x07 unknown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WhyRecordRefused(c.record, kRowFlashSize), c.why) << c.record;
}

} // namespace
} // namespace tvqx::sim::test
