// The console front end with an update procedure that waits for the device
// between the window's messages: the prompt, Ctrl-C as "Cancel Update", and
// the run that goes on once the device woke.

#include "app/ProductInfo.h"
#include "sim/VariantDevices.h"
#include "tests/cli/UpdateRunFixture.h"

#include <utility>

namespace tvqx::cli::test {
namespace {

const std::string kPrompt = std::string(product::kWakePrompt) + "\n" + kCancelHint + "\n";

class WaitingUpdateRunTest : public UpdateRunFixture {
protected:
    void Use(int updateVariant, bool wakes)
    {
        variant = updateVariant;
        sim::VariantDeviceFaults faults;
        faults.wakeUp.neverWakes = !wakes;
        unit = sim::MakeDeviceForVariant(variant, faults);
        AttachDevice(3, unit.Line());
        waitingChanged = [this](bool waiting) { waitingCalls.push_back(waiting); };
        cancelRequested = [this] { return std::exchange(ctrlC, false); };
    }
    // The user presses Ctrl-C `ms` after the run started.
    void CtrlCAfter(uint64_t ms)
    {
        clock.At(clock.Now() + ms, [this] { ctrlC = true; });
    }

    sim::VariantDevice unit;
    bool ctrlC = false;
    std::vector<bool> waitingCalls;
};

TEST_F(WaitingUpdateRunTest, CtrlCWhileWaitingCancelsTheUpdateQuietly)
{
    Use(1, false);
    // Long enough for the prompt to blink off and on again several times.
    CtrlCAfter(9000);
    EXPECT_EQ(Run(3), kExitCancelled);
    EXPECT_EQ(waitingCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(unit.BlocksReceived(), 0u);

    // The prompt once, no message box, then the status lines with empty
    // boot loader, progress and result lines.
    const std::string text = out.str();
    EXPECT_EQ(CountOf(text, product::kWakePrompt), 1u) << text;
    EXPECT_EQ(text.find('['), std::string::npos) << text;
    EXPECT_EQ(text.rfind(kPrompt + "Firmware file  =  TVQX-R_4_12.hex", 0), 0u) << text;
    EXPECT_EQ(LastLines(text, 4), "Firmware version  =  4.12 (demo build)\n\n\n\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(WaitingUpdateRunTest, OnATerminalTheStatusLinesStartOnALineOfTheirOwn)
{
    Use(1, false);
    CtrlCAfter(1000);
    EXPECT_EQ(Run(3, true), kExitCancelled);
    // The terminal echoed "^C" after the prompt.
    EXPECT_EQ(out.str().rfind(kPrompt + "\nFirmware file  =  ", 0), 0u) << out.str();
}

// Once the device woke, the wait is over for Ctrl-C, and the window's
// messages carry the transfer to its end.
TEST_F(WaitingUpdateRunTest, UpdateGoesOnOnceTheDeviceWoke)
{
    Use(5, true);
    EXPECT_EQ(Run(3), kExitUpdated);
    EXPECT_TRUE(unit.UpdateComplete());
    EXPECT_EQ(waitingCalls, (std::vector<bool>{true, false}));

    const std::string text = out.str();
    const size_t prompt = text.find(kPrompt);
    const size_t progress = text.find("Sending hex file page  ");
    const size_t box = text.find(kSuccessBox);
    EXPECT_EQ(prompt, 0u) << text;
    EXPECT_LT(prompt, progress);
    EXPECT_LT(progress, box);
    EXPECT_EQ(text.find('['), box) << "no other box";
    EXPECT_EQ(LastLines(text, 1), "Tollvane QX-R firmware successfully updated\n");
    EXPECT_EQ(err.str(), "");
}

} // namespace
} // namespace tvqx::cli::test
