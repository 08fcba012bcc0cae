// The console front end with the update procedures that wait for the device
// between the window's messages: the prompt, Ctrl-C as "Cancel Update", and
// the exit statuses of each way a run can end.

#include "app/ProductInfo.h"
#include "sim/PageBootLoader.h"
#include "sim/RowBootLoader.h"
#include "sim/VariantDevices.h"
#include "tests/cli/UpdateRunFixture.h"

#include <fstream>
#include <utility>

namespace tvqx::cli::test {
namespace {

const std::string kPrompt = std::string(product::kWakePrompt) + "\n" + kCancelHint + "\n";

// A unit on COMn that never announces its boot loader: the program waits
// for it until it is cancelled. Variant 1 meets a row boot loader, the page
// variants a page boot loader.
struct SilentUnit {
    int variant;
    bool pages;
};

class WaitingUpdateRunTest : public UpdateRunFixture, public ::testing::WithParamInterface<SilentUnit> {
protected:
    WaitingUpdateRunTest()
    {
        variant = GetParam().variant;
        if (GetParam().pages)
            powered = [&d = Attach(3, std::make_unique<sim::PageBootLoader>(sim::PageBootLoaderFaults{},
                                                                             sim::kBootLargePageSize))] {
                return d.Powered();
            };
        else
            powered = [&d = Attach(3, std::make_unique<sim::RowBootLoader>())] { return d.Powered(); };
        waitingChanged = [this](bool waiting) { waitingCalls.push_back(waiting); };
        cancelRequested = [this] { return std::exchange(ctrlC, false); };
    }

    // The user presses Ctrl-C `ms` after the run started.
    void CtrlCAfter(uint64_t ms)
    {
        clock.At(clock.Now() + ms, [this] {
            ctrlC = true;
            poweredAtCtrlC = powered();
        });
    }

    std::function<bool()> powered;
    bool ctrlC = false;
    bool poweredAtCtrlC = false;
    std::vector<bool> waitingCalls;
};

TEST_P(WaitingUpdateRunTest, CtrlCWhileWaitingCancelsTheUpdateQuietly)
{
    // Long enough for the prompt to blink off and on again several times.
    CtrlCAfter(9000);
    EXPECT_EQ(Run(3), kExitCancelled);
    EXPECT_TRUE(poweredAtCtrlC);
    EXPECT_FALSE(powered());
    EXPECT_FALSE(std::filesystem::exists(ImagePath()));
    EXPECT_EQ(waitingCalls, (std::vector<bool>{true, false}));

    // The prompt once, no message box, then the status lines with empty
    // boot loader, progress and result lines.
    const std::string text = out.str();
    EXPECT_EQ(CountOf(text, kPrompt), 1u) << text;
    EXPECT_EQ(CountOf(text, product::kWakePrompt), 1u) << text;
    EXPECT_EQ(text.find('['), std::string::npos) << text;
    EXPECT_EQ(text.rfind(kPrompt + "Firmware file  =  TVQX-R_4_12.hex", 0), 0u) << text;
    EXPECT_EQ(LastLines(text, 4), "Firmware version  =  4.12 (demo build)\n\n\n\n");
    EXPECT_EQ(ui.MessageBoxes().size(), 0u);
    EXPECT_EQ(err.str(), "");
}

TEST_P(WaitingUpdateRunTest, OnATerminalTheStatusLinesStartOnALineOfTheirOwn)
{
    CtrlCAfter(1000);
    EXPECT_EQ(Run(3, true), kExitCancelled);
    // The terminal echoed "^C" after the prompt.
    EXPECT_EQ(out.str().rfind(kPrompt + "\nFirmware file  =  ", 0), 0u) << out.str();
}

INSTANTIATE_TEST_SUITE_P(Variants, WaitingUpdateRunTest,
                         ::testing::Values(SilentUnit{1, false}, SilentUnit{4, true}, SilentUnit{5, true}),
                         [](const auto& info) { return "Variant" + std::to_string(info.param.variant); });

// Whole updates of the unit as each procedure meets it (the page update of
// the product's own build has its own tests): the prompt only where the
// procedure waits, the procedure's own progress lines, the success box and
// status 0.
struct WholeUpdate {
    int variant;
    bool waits;
    const char* progress;   // the start of the progress status line
};

class WholeUpdateTest : public UpdateRunFixture, public ::testing::WithParamInterface<WholeUpdate> {
protected:
    WholeUpdateTest() : unit(sim::MakeDeviceForVariant(GetParam().variant))
    {
        variant = GetParam().variant;
        AttachDevice(3, unit.Line());
        waitingChanged = [this](bool waiting) { waitingCalls.push_back(waiting); };
    }

    sim::VariantDevice unit;
    std::vector<bool> waitingCalls;
};

TEST_P(WholeUpdateTest, EndsWithTheSuccessBoxAndStatusZero)
{
    const WholeUpdate& c = GetParam();
    EXPECT_EQ(Run(3), kExitUpdated);
    EXPECT_TRUE(unit.UpdateComplete());
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 3);

    const std::string text = out.str();
    EXPECT_EQ(CountOf(text, kPrompt), c.waits ? 1u : 0u) << text;
    EXPECT_EQ(waitingCalls, (c.waits ? std::vector<bool>{true, false} : std::vector<bool>{}));
    const size_t progress = text.find(c.progress);
    const size_t box = text.find(kSuccessBox);
    ASSERT_NE(progress, std::string::npos) << text;
    ASSERT_NE(box, std::string::npos) << text;
    EXPECT_LT(progress, box);
    EXPECT_EQ(text.find('['), box) << "no other box";
    // The last progress line shown is the window's last one, and the status
    // lines end with it and the result.
    const std::string lastTwo = LastLines(text, 2);
    EXPECT_EQ(lastTwo.rfind(c.progress, 0), 0u) << lastTwo;
    EXPECT_EQ(LastLines(text, 1), "Tollvane QX-R firmware successfully updated\n");
    const std::string lastShown = text.substr(text.rfind(c.progress, box));
    EXPECT_EQ(lastShown.substr(0, lastShown.find('\n')), lastTwo.substr(0, lastTwo.find('\n')));
    EXPECT_EQ(err.str(), "");
}

TEST_P(WholeUpdateTest, OnATerminalTheBarCountsTheProceduresUnits)
{
    EXPECT_EQ(Run(3, true), kExitUpdated);
    const std::string text = out.str();
    const size_t box = text.find(kSuccessBox);
    ASSERT_NE(box, std::string::npos) << text;
    const size_t lastBar = text.rfind('\r', box);
    ASSERT_NE(lastBar, std::string::npos) << text;
    const std::string bar = text.substr(lastBar, box - lastBar);
    const std::string units = std::string(GetParam().progress).find("row") != std::string::npos ? " rows" : " pages";
    EXPECT_EQ(bar.rfind("\r[" + std::string(30, '#') + "]  ", 0), 0u) << bar;
    EXPECT_NE(bar.find(units + "  100%  0:00 left\n"), std::string::npos) << bar;
}

INSTANTIATE_TEST_SUITE_P(Variants, WholeUpdateTest,
                         // 1 and 4 also run as processes against tvqx-devsim.
                         ::testing::Values(WholeUpdate{2, false, "Sending hex file row  "},
                                           WholeUpdate{5, true, "Sending hex file page  "}),
                         [](const auto& info) { return "Variant" + std::to_string(info.param.variant); });

class WaitEndedByTheWindowTest : public UpdateRunFixture {};

TEST_F(WaitEndedByTheWindowTest, FailedConversionEndsTheWaitWithStatusOne)
{
    variant = 4;
    // Opens (so the wait begins) but does not convert: a record whose
    // checksum is wrong.
    std::ofstream(programDir + "TVQX-R_4_12.hex", std::ios::trunc) << ":0100000000FE\n:00000001FF\n";
    auto& device = Attach(3, std::make_unique<sim::PageBootLoader>(sim::PageBootLoaderFaults{}, sim::kBootLargePageSize));
    std::vector<bool> calls;
    waitingChanged = [&](bool waiting) { calls.push_back(waiting); };
    int asked = 0;
    cancelRequested = [&] { return ++asked, false; };

    EXPECT_EQ(Run(3), kExitFailed);
    const std::string text = out.str();
    const size_t prompt = text.find(kPrompt);
    const size_t box = text.find("[Firmware Update Error]\nInvalid firmware hex file.");
    ASSERT_NE(prompt, std::string::npos) << text;
    ASSERT_NE(box, std::string::npos) << text;
    EXPECT_LT(prompt, box);
    EXPECT_FALSE(device.Powered());
    EXPECT_EQ(calls, (std::vector<bool>{true, false}));
    EXPECT_EQ(LastLines(text, 1), "\n");
}

// The procedures' "cannot open" messages differ (five or fifteen blanks);
// every one of them gets the hint about the device.
class PortThatCannotBeOpenedTest : public UpdateRunFixture, public ::testing::WithParamInterface<int> {};

TEST_P(PortThatCannotBeOpenedTest, GetsTheWindowsMessageAndAHint)
{
    variant = GetParam();
    Attach(3, std::make_unique<sim::PageBootLoader>());
    ports.Detach(3);   // still listed, but gone
    std::string askedFor;
    hint = [&](const std::string& path) {
        askedFor = path;
        return "hint: " + path + " is not accessible";
    };
    EXPECT_EQ(Run(), kExitFailed);
    const std::string blanks(variant == 2 ? 15 : 5, ' ');
    EXPECT_NE(out.str().find("[Firmware Update Error]\nUnable to open serial port COM3" + blanks + "\n\n"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(askedFor, "/dev/simulated3");
    EXPECT_EQ(err.str(), "hint: /dev/simulated3 is not accessible\n");
}

INSTANTIATE_TEST_SUITE_P(Variants, PortThatCannotBeOpenedTest, ::testing::Values(1, 2, 4, 10));

} // namespace
} // namespace tvqx::cli::test
