// The console updater and the virtual device as separate processes on a real
// pseudo-terminal: what in-process tests cannot show (the port directory,
// termios, a device that goes away, processes that must not hang).

#include "tests/e2e/EndToEndFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace tvqx::e2e {
namespace {

class EndToEnd : public EndToEndFixture {
protected:
    EndToEnd() { InstallUpdater(TVQX_CLI_PATH); }
};

TEST_F(EndToEnd, WholeUpdateReachesTheDevicesFlash)
{
    WriteFirmware(1024);
    const fs::path flash = root / "flash.bin";
    auto device = StartDevice({"--fast", "--updates", "1", "--flash-out", flash.string()});
    auto update = StartUpdate();
    ASSERT_EQ(update->Wait(20s), 0) << CliOutput();
    ASSERT_EQ(device->Wait(5s), 0) << DeviceTrace();

    const std::string out = CliOutput();
    EXPECT_NE(out.find("[Firmware Update Complete]\nThe Tollvane QX-R firmware has been successfully updated.     \n\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Boot loader version  =  TVQXR-1-4.00\nSending hex file page  8  of  8\n"
                       "Tollvane QX-R firmware successfully updated\n"),
              std::string::npos)
        << out;
    const std::string written = ReadAll(flash);
    ASSERT_EQ(written.size(), 65536u);
    EXPECT_EQ(written.substr(0, image.size()), std::string(image.begin(), image.end()));
    EXPECT_EQ(written.substr(image.size(), 10), std::string(10, '\xFF'));
    EXPECT_FALSE(PortEntryExists());
    // The port that worked is remembered for the next start.
    EXPECT_NE(Settings().find("ComPort=7"), std::string::npos);
}

TEST_F(EndToEnd, DeviceThatNeverAnswers)
{
    WriteFirmware(256);
    auto device = StartDevice({"--fast", "--no-answer"});
    auto update = StartUpdate();
    ASSERT_EQ(update->Wait(20s), 1) << CliOutput();
    const std::string out = CliOutput();
    EXPECT_NE(out.find("[Firmware Update Error]\nInvalid or no response from the Tollvane QX.     \n\n"
                       "Firmware update terminated.\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\nFirmware update failed\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("successfully"), std::string::npos) << out;
    device->Signal(SIGTERM);
    EXPECT_EQ(device->Wait(5s), 0);
    EXPECT_FALSE(PortEntryExists());
}

TEST_F(EndToEnd, DeviceVanishingMidTransfer)
{
    WriteFirmware(16384);   // 128 pages: more than six seconds on the line
    auto device = StartDevice({"--fast"});
    auto update = StartUpdate();
    // Pull the plug once a few pages are through.
    ASSERT_TRUE(WaitForText(DeviceLog(), "page 3:", 10s)) << DeviceTrace();
    device->Signal(SIGTERM);
    EXPECT_EQ(device->Wait(5s), 0);
    EXPECT_FALSE(PortEntryExists());

    ASSERT_EQ(update->Wait(20s), 1) << CliOutput();
    const std::string out = CliOutput();
    EXPECT_NE(out.find("[Firmware Update Error]\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Tollvane QX-R.     \n\nFirmware update terminated."), std::string::npos) << out;
    EXPECT_NE(out.find("\nFirmware update failed\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("successfully"), std::string::npos) << out;
}

} // namespace
} // namespace tvqx::e2e
