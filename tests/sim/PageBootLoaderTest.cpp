#include "sim/PageBootLoader.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

const std::string kEntry = "~#&TV-QX-R-205-7.31";
using Faults = PageBootLoaderFaults;
using Case = FaultCase<Faults>;

// Power, the program's 500 ms pause, then the entry command.
void Wake(BootLineDriver& line)
{
    line.Power(true);
    line.Wait(500);
    line.Send(Bytes(kEntry));
}

// "time:bytes" for each millisecond in which the program heard something.
std::string Timeline(const std::vector<ReceivedByte>& heard)
{
    std::string out;
    for (size_t i = 0; i < heard.size(); ++i) {
        if (i == 0 || heard[i].timeMs != heard[i - 1].timeMs)
            out += (i ? " " : "") + std::to_string(heard[i].timeMs) + ":";
        out += static_cast<char>(heard[i].value);
    }
    return out;
}

// The program's transfer after the ready byte: one letter per answer, '-'
// for none; it stops where the program would.
std::string Transfer(BootLineDriver& line, uint16_t pages)
{
    line.Skip();
    std::string answers;
    for (uint16_t page = 0; page < pages; ++page) {
        for (int sends = 1;; ++sends) {
            const int answer = line.SendPage(page, PageData(page));
            answers += answer < 0 ? '-' : static_cast<char>(answer);
            if (answer == '!')
                break;
            if (answer != '@' || sends == 5)
                return answers;
        }
    }
    line.Send({0xFF, 0xFF});
    line.Wait(20);
    const int last = line.Next(1000);
    return answers + (last < 0 ? '-' : static_cast<char>(last));
}

TEST(PageBootLoader, GoodSessionFillsFlashWithEveryPage)
{
    PageBootLoader device;
    BootLineDriver line(device);
    Wake(line);
    EXPECT_EQ(Transfer(line, 3), "!!!!");
    // Every answer is readable the moment the byte that asks for it arrives.
    EXPECT_EQ(Timeline(line.Heard()), "500:TVQXR-1-4.00\r! 530:! 580:! 630:! 650:!");

    std::vector<uint8_t> expected(kBootFlashSize, 0xFF);
    for (uint16_t page = 0; page < 3; ++page)
        std::copy_n(PageData(page).begin(), kBootPageSize, expected.begin() + page * kBootPageSize);
    EXPECT_EQ(device.Flash(), expected);
    EXPECT_EQ(device.PagesWritten(), (std::vector<uint16_t>{0, 1, 2}));
    EXPECT_EQ(device.CurrentStage(), PageBootLoader::Stage::Done);
    ASSERT_EQ(device.Received().size(), 19u + 3 * 131 + 2);
    EXPECT_EQ(device.Received()[21].timeMs, 520u);
}

TEST(PageBootLoader, FindsEntryCommandAfterOtherBytesAndInPieces)
{
    PageBootLoader device;
    BootLineDriver line(device);
    line.Power(true);
    line.Send(Bytes("\r~#&TV-QX"));
    line.Send(std::vector<uint8_t>(131, 0x00));   // no page before the entry command
    line.Send(Bytes("~#&TV-QX-R-2"));
    line.Wait(5);
    line.Send(Bytes("05-7.31"));
    EXPECT_EQ(Timeline(line.Heard()), "5:TVQXR-1-4.00\r!");
    EXPECT_EQ(device.EntryCount(), 1u);
}


// What the program hears in the 5 s after power-up.
class WakeFaults : public testing::TestWithParam<Case> {};
TEST_P(WakeFaults, ProgramHearsScriptedAnswer)
{
    PageBootLoader device(GetParam().faults);
    BootLineDriver line(device);
    Wake(line);
    line.Wait(4500);
    EXPECT_EQ(Timeline(line.Heard()), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Sim, WakeFaults,
    testing::Values(
        Case{"Silent", Faults{.ignoreEntryCommand = true}, ""},
        Case{"Short", Faults{.versionText = "TVQXR-1-4.0"}, "500:TVQXR-1-4.0\r!"},
        Case{"LeadingLf", Faults{.noiseBeforeAnswer = {{0, {'\n'}}}}, "500:\nTVQXR-1-4.00\r!"},
        Case{"Pieces", Faults{.versionPieces = {{4, 0}, {4, 1000}, {2, 1500}}},
                  "500:TVQX 1500:R-1- 3000:4.00\r!"},
        Case{"NoReady", Faults{.omitReady = true}, "500:TVQXR-1-4.00\r"},
        Case{"WrongReady", Faults{.readyByte = '?'}, "500:TVQXR-1-4.00\r?"},
        Case{"WrongThenReady", Faults{.readyByte = 'x', .readyAfterWrongByte = true},
                  "500:TVQXR-1-4.00\rx!"},
        Case{"LateReady", Faults{.readyDelayMs = 1200}, "500:TVQXR-1-4.00\r 1700:!"},
        Case{"Slow", Faults{.responseDelayMs = 2000}, "2500:TVQXR-1-4.00\r!"},
        Case{"LineNoise", Faults{.noiseAt = {{700, {'#', '~'}}, {200, {'*'}}}},
                  "200:* 500:TVQXR-1-4.00\r! 700:#~"}),
    CaseName<Case>);

// The answers to a three-page transfer and its end marker.
class TransferFaults : public testing::TestWithParam<Case> {};
TEST_P(TransferFaults, ProgramGetsScriptedPageAnswers)
{
    PageBootLoader device(GetParam().faults);
    BootLineDriver line(device);
    Wake(line);
    EXPECT_EQ(Transfer(line, 3), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Sim, TransferFaults,
    testing::Values(Case{"FourResends", Faults{.resendsForPage = {{1, 4}}}, "!@@@@!!!"},
                    Case{"FiveResends", Faults{.resendsForPage = {{0, 5}}}, "@@@@@"},
                    Case{"WrongPageAnswer", Faults{.pageAnswerByte = {{1, '#'}}}, "!#"},
                    Case{"HangsAtPage", Faults{.hangAtPage = 1}, "!-"},
                    Case{"NoiseBeforePageAnswer", Faults{.noiseBeforeAnswer = {{3, {'x'}}}}, "!x"},
                    Case{"SilentAfterEnd", Faults{.silentAfterEndMarker = true}, "!!!-"},
                    Case{"OtherEndAnswer", Faults{.endMarkerAnswer = 'E'}, "!!!E"}),
    CaseName<Case>);

TEST(PageBootLoader, OnlyGoodPagesInRangeAreWritten)
{
    PageBootLoader device(Faults{.resendsForPage = {{7, 1}}});
    BootLineDriver line(device);
    Wake(line);
    line.Skip();
    EXPECT_EQ(line.SendPage(7, PageData(7), 1), '@');   // bad checksum
    EXPECT_EQ(line.SendPage(7, PageData(7)), '@');      // scripted resend
    EXPECT_EQ(line.SendPage(7, PageData(7)), '!');
    EXPECT_EQ(line.SendPage(kBootPageCount, PageData(0)), '@');
    EXPECT_EQ(device.PagesReceived(), (std::vector<uint16_t>{7, 7, 7, kBootPageCount}));
    EXPECT_EQ(device.PagesWritten(), (std::vector<uint16_t>{7}));
    EXPECT_EQ(device.Flash()[7 * kBootPageSize], PageData(7)[0]);
}

TEST(PageBootLoader, LargePagesFillTheSameFlash)
{
    PageBootLoader device({}, kBootLargePageSize);
    BootLineDriver line(device);
    Wake(line);
    line.Skip();
    EXPECT_EQ(line.SendPage(1, PageData(1, kBootLargePageSize)), '!');
    EXPECT_EQ(line.SendPage(255, PageData(255, kBootLargePageSize)), '!');
    EXPECT_EQ(line.SendPage(256, PageData(0, kBootLargePageSize)), '@');
    EXPECT_EQ(device.PagesWritten(), (std::vector<uint16_t>{1, 255}));
    EXPECT_EQ(device.Flash()[256], PageData(1, kBootLargePageSize)[0]);
    EXPECT_EQ(device.Flash()[65535], PageData(255, kBootLargePageSize)[255]);
    EXPECT_EQ(device.Flash()[255], 0xFF);
}

TEST(PageBootLoader, PowerLossDropsPendingAnswerAndRestartsButKeepsFlash)
{
    PageBootLoader device(Faults{.responseDelayMs = 100});
    BootLineDriver line(device);
    Wake(line);
    line.Wait(100);
    line.Skip();
    EXPECT_EQ(line.SendPage(0, PageData(0)), '!');
    line.Send({0, 1});
    line.Send(PageData(1));
    line.Send({Checksum(PageData(1))});
    line.Wait(50);   // power fails while the answer is on its way
    line.Power(false);
    line.Wait(200);
    EXPECT_EQ(line.Next(0), -1);
    EXPECT_FALSE(device.Dsr());

    line.Power(true);
    EXPECT_EQ(line.SendPage(2, PageData(2)), -1);   // no page before a new entry
    line.Send(Bytes(kEntry));
    EXPECT_EQ(line.Next(200), 'T');
    EXPECT_EQ(device.PagesWritten(), (std::vector<uint16_t>{0, 1}));
    EXPECT_EQ(device.Flash()[128], PageData(1)[0]);
    ASSERT_EQ(device.PowerEvents().size(), 3u);
    EXPECT_EQ(device.PowerEvents()[1].timeMs, 780u);
    EXPECT_FALSE(device.PowerEvents()[1].on);
}

TEST(PageBootLoader, WrongLineSpeedGarblesBothWays)
{
    PageBootLoader device(Faults{.responseDelayMs = 100});
    BootLineDriver line(device);
    device.SetLineSpeed(19200, 0);
    Wake(line);
    line.Wait(1000);
    EXPECT_EQ(Timeline(line.Heard()), "");

    device.SetLineSpeed(9600, line.Now());
    line.Send(Bytes(kEntry));
    line.Wait(50);
    device.SetLineSpeed(19200, line.Now());   // the answer is still on its way
    line.Wait(50);
    ASSERT_EQ(line.Heard().size(), 14u);
    for (const ReceivedByte& b : line.Heard())
        EXPECT_TRUE(b.value == 0x00 || b.value == 0xFE);
}

} // namespace
} // namespace tvqx::sim::test
