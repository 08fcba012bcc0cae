// The console front end with the radio procedures: the rover module dialog
// runs inside "Begin Update", prints what it asks of the user once, follows
// the remote unit's lines, starts the update with the parameters received,
// and takes Ctrl-C as its "Cancel Update" (what the gateway is told then is
// the virtual-time tests' business).

#include "app/ProductInfo.h"
#include "sim/VariantDevices.h"
#include "tests/cli/UpdateRunFixture.h"

#include <utility>

namespace tvqx::cli::test {
namespace {

const std::string kPromptLines = std::string(product::kRoverSetupPrompt) + "\n" + kCancelHint + "\n";
const std::string kParameters = "Rover Module ID 7, network S/N 00A4B512 7C3E9D01, PAN ID 3332, RF channel 0C\n";
const std::string kReceived = "Parameters received from Rover Module 7.\n";

std::string Instructions()
{
    std::string text;
    for (const char* part : product::kRoverInstructions)
        text += part;
    return text;
}

class RadioUpdateRunTest : public UpdateRunFixture {
protected:
    void Use(int updateVariant, sim::RadioOptions radio)
    {
        variant = updateVariant;
        sim::VariantDeviceFaults faults;
        faults.radio = std::move(radio);
        unit = sim::MakeDeviceForVariant(variant, faults);
        AttachDevice(3, unit.Line());
        waitingChanged = [this](bool waiting) {
            waitingCalls.push_back(waiting);
            if (waiting && ctrlCAfterMs)
                clock.At(clock.Now() + *ctrlCAfterMs, [this] { ctrlC = true; });
        };
        cancelRequested = [this] { return std::exchange(ctrlC, false); };
    }
    sim::VariantDevice unit;
    std::optional<uint64_t> ctrlCAfterMs;   // after the dialog opened
    bool ctrlC = false;
    std::vector<bool> waitingCalls;
};

TEST_F(RadioUpdateRunTest, ParametersFromTheSetupButtonStartTheUpdate)
{
    sim::RadioOptions radio;
    radio.setupAfterListenMs = 4000;
    Use(6, radio);
    EXPECT_EQ(Run(3), kExitUpdated) << out.str();
    EXPECT_TRUE(unit.UpdateComplete());
    EXPECT_EQ(waitingCalls, (std::vector<bool>{true, false}));

    // Instructions and prompt once, the verdict on the line, the parameters,
    // then the update as usual.
    const std::string text = out.str();
    EXPECT_EQ(text.find(Instructions() + "\n\n" + kPromptLines + kReceived + kParameters), 0u) << text;
    EXPECT_EQ(CountOf(text, product::kRoverSetupPrompt), 1u) << text;
    EXPECT_NE(text.find(kSuccessBox), std::string::npos) << text;
    EXPECT_EQ(err.str(), "");
}

TEST_F(RadioUpdateRunTest, EveryLineTheUnitSendsGetsItsVerdictAndCtrlCCancels)
{
    // The unit's line arrives garbled: the user is told to press Setup again
    // and gives up instead.
    sim::RadioOptions radio;
    radio.setupAfterListenMs = 1000;
    radio.setupLine = "$ROVER,7,00A4B512,7C3E9D01,3332,0C*4B\r";
    Use(3, radio);
    ctrlCAfterMs = 5000;
    EXPECT_EQ(Run(3), kExitCancelled);
    EXPECT_EQ(waitingCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(unit.BlocksReceived(), 0u);

    const std::string text = out.str();
    const std::string garbled =
        "The parameters were garbled on the way (checksum error). Press the Setup button again.\n";
    EXPECT_NE(text.find(kPromptLines + garbled), std::string::npos) << text;
    EXPECT_EQ(text.find(kParameters), std::string::npos) << text;
    EXPECT_EQ(text.find('['), std::string::npos) << text;   // no message box
}

} // namespace
} // namespace tvqx::cli::test
