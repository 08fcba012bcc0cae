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

TEST_F(UpdateRunTest, SuccessfulUpdatePrintsProgressTheBoxAndTheStatusLines)
{
    sim::PageBootLoader& device = Device(3);
    EXPECT_EQ(Run(), kExitUpdated);
    EXPECT_TRUE(device.EndMarkerReceived());
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 3);

    const std::string text = out.str();
    const size_t firstPage = text.find("Sending hex file page  1  of  ");
    const size_t box = text.find(kSuccessBox);
    ASSERT_NE(firstPage, std::string::npos) << text;
    ASSERT_NE(box, std::string::npos) << text;
    EXPECT_LT(firstPage, box);
    // Then the five status lines and nothing else; the file line carries
    // the HEX file's date, which differs from checkout to checkout.
    const std::string pages = std::to_string(device.PagesWritten().size());
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
    profile.WriteProfileInt("Settings", "ComPort", 7);
    EXPECT_EQ(Run(), kExitFailed);
    EXPECT_NE(out.str().find("[Firmware Update Error]\nNo response from the Tollvane QX-R.     \n\nFirmware update "
                             "terminated.\n"),
              std::string::npos)
        << out.str();
    const std::string lastTwo = LastLines(out.str(), 2);
    EXPECT_EQ(lastTwo.rfind("Sending hex file page  3  of  ", 0), 0u) << lastTwo;
    EXPECT_EQ(LastLines(out.str(), 1), "Firmware update failed\n");
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 7);
}

TEST_F(UpdateRunTest, PortGivenOnTheCommandLineIsUsedInsteadOfTheSavedOne)
{
    sim::PageBootLoader& three = Device(3);
    sim::PageBootLoader& four = Device(4);
    profile.WriteProfileInt("Settings", "ComPort", 4);
    EXPECT_EQ(Run(3), kExitUpdated);
    EXPECT_TRUE(three.EndMarkerReceived());
    EXPECT_TRUE(four.Received().empty());
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

TEST_F(UpdateRunTest, UnusableFirmwareFilesStartNothing)
{
    sim::PageBootLoader& device = Device(3);
    programDir = temp.MakeDir("empty/");
    EXPECT_EQ(Run(), kExitNotStarted);
    EXPECT_EQ(out.str().rfind("[Tollvane QX-R Update]\nUnable to open the firmware description file:", 0), 0u)
        << out.str();
    EXPECT_TRUE(device.Received().empty());
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

} // namespace
} // namespace tvqx::cli::test
