// Whole runs of the console front end against the simulated page boot
// loader, on virtual time: what is printed, and the exit status scripts rely
// on.

#include "sim/PageBootLoader.h"
#include "tests/cli/UpdateRunFixture.h"

namespace tvqx::cli::test {
namespace {

class UpdateRunTest : public UpdateRunFixture {
protected:
    // COMn present and leading to a boot loader with these faults.
    sim::PageBootLoader& Device(int port, sim::PageBootLoaderFaults faults = {})
    {
        return Attach(port, std::make_unique<sim::PageBootLoader>(std::move(faults)));
    }
};

TEST_F(UpdateRunTest, PortGivenOnTheCommandLineIsUpdatedAndTheRunPrinted)
{
    sim::PageBootLoader& three = Device(3);
    sim::PageBootLoader& four = Device(4);
    profile.WriteProfileInt("Settings", "ComPort", 4);
    EXPECT_EQ(Run(3), kExitUpdated);
    EXPECT_TRUE(three.EndMarkerReceived());
    EXPECT_TRUE(four.Received().empty());

    const std::string text = out.str();
    const size_t firstPage = text.find("Sending hex file page  1  of  ");
    const size_t box = text.find(kSuccessBox);
    ASSERT_NE(firstPage, std::string::npos) << text;
    ASSERT_NE(box, std::string::npos) << text;
    EXPECT_LT(firstPage, box);
    // Then the five status lines and nothing else; the file line carries
    // the HEX file's date, which differs from checkout to checkout.
    const std::string pages = std::to_string(three.PagesWritten().size());
    const std::string statusLines = text.substr(box + kSuccessBox.size());
    EXPECT_EQ(statusLines.rfind("Firmware file  =  TVQX-R_4_12.hex     (", 0), 0u) << statusLines;
    EXPECT_EQ(LastLines(statusLines, 4), "Firmware version  =  4.12 (demo build)\nBoot loader version  =  TVQXR-1-4.00\n"
                                         "Sending hex file page  " + pages + "  of  " + pages +
                                         "\nTollvane QX-R firmware successfully updated\n");
    EXPECT_EQ(LastLines(statusLines, 5), statusLines);
    // The backend outlives the run; its hooks must not point into it.
    EXPECT_FALSE(ui.onMessageBox || ui.onModalStart || ui.onControlChanged);
    EXPECT_EQ(err.str(), "");
}

TEST_F(UpdateRunTest, FailedUpdateEndsWithStatusOne)
{
    sim::PageBootLoaderFaults faults;
    faults.hangAtPage = 2;
    Device(3, faults);
    EXPECT_EQ(Run(), kExitFailed);
    EXPECT_NE(out.str().find("[Firmware Update Error]\nNo response from the Tollvane QX-R.     \n\nFirmware update "
                             "terminated.\n"),
              std::string::npos)
        << out.str();
    const std::string lastTwo = LastLines(out.str(), 2);
    EXPECT_EQ(lastTwo.rfind("Sending hex file page  3  of  ", 0), 0u) << lastTwo;
    EXPECT_EQ(LastLines(out.str(), 1), "Firmware update failed\n");
}

TEST_F(UpdateRunTest, PortThatIsNotPresentStartsNothing)
{
    sim::PageBootLoader& device = Device(3);
    EXPECT_EQ(Run(5), kExitNotStarted);
    EXPECT_EQ(err.str(), "no such port: COM5\n");
    EXPECT_TRUE(device.Received().empty());
    // The window's state is still reported.
    EXPECT_EQ(LastLines(out.str(), 4), "Firmware version  =  4.12 (demo build)\n\n\n\n");
}

TEST_F(UpdateRunTest, NoPortsAtAllStartsNothing)
{
    EXPECT_EQ(Run(), kExitNotStarted);
    EXPECT_EQ(out.str().rfind("[tvqx-update]\nThere are no serial ports installed on this computer.     \n\n", 0), 0u)
        << out.str();
    EXPECT_NE(err.str().find("no serial port to update on"), std::string::npos);
}

TEST_F(UpdateRunTest, TerminalBarIsEndedBeforeTheBox)
{
    Device(3);
    EXPECT_EQ(Run(0, true), kExitUpdated);
    const std::string text = out.str();
    const size_t box = text.find(kSuccessBox);
    ASSERT_NE(box, std::string::npos);
    // The last bar is full, and its line is ended before the box.
    const size_t lastBar = text.rfind('\r', box);
    ASSERT_NE(lastBar, std::string::npos);
    const std::string bar = text.substr(lastBar, box - lastBar);
    EXPECT_EQ(bar.rfind("\r[" + std::string(30, '#') + "]  ", 0), 0u) << bar;
    EXPECT_NE(bar.find(" pages  100%  0:00 left"), std::string::npos) << bar;
    EXPECT_EQ(text[box - 1], '\n');
    EXPECT_EQ(text.find("Sending hex file page"), text.rfind("Sending hex file page"));   // only the status line
}

// A port that will not open gets the hint about its device, whichever of the
// two places that open a port failed: the page update's own, and the one the
// other procedures share.
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
    EXPECT_NE(out.str().find("[Firmware Update Error]\nUnable to open serial port COM3"), std::string::npos)
        << out.str();
    EXPECT_EQ(askedFor, "/dev/simulated3");
    EXPECT_EQ(err.str(), "hint: /dev/simulated3 is not accessible\n");
}

INSTANTIATE_TEST_SUITE_P(Variants, PortThatCannotBeOpenedTest, ::testing::Values(2, 10));

} // namespace
} // namespace tvqx::cli::test
