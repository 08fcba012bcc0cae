// The console updater built for the radio page procedure against the
// virtual radio gateway and the remote unit behind it, on a real
// pseudo-terminal: the remote unit's parameters come from its Setup button
// while the updater waits in the rover module dialog, and Ctrl-C there
// leaves the gateway as it was.

#include "firmware/HexImage.h"
#include "tests/e2e/EndToEndFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace tvqx::e2e {
namespace {

constexpr const char* kDescription = "Tollvane-QX-R_with_Rd_Sw_Conn.txt";
constexpr const char* kHexFile = "TVQX-R_4_12.hex";
constexpr size_t kFlashSize = 65536;

class RadioVariantEndToEnd : public EndToEndFixture {
protected:
    RadioVariantEndToEnd()
    {
        InstallUpdater(TVQX_CLI_VARIANT6_PATH);
        for (const char* name : {kDescription, kHexFile})
            fs::copy_file(fs::path(TVQX_EXAMPLES_DIR) / name, bundle / name);
    }
};

TEST_F(RadioVariantEndToEnd, SetupButtonGivesTheParametersAndTheRemoteUnitIsUpdated)
{
    const fs::path flash = root / "flash.bin";
    auto device = StartDevice(
        {"--variant", "radio-page", "--setup-after", "1000", "--updates", "1", "--flash-out", flash.string()});
    auto update = StartUpdate();
    // Finding the gateway alone tries four speeds before its own.
    ASSERT_EQ(update->Wait(100s), 0) << CliOutput() << DeviceTrace();
    ASSERT_EQ(device->Wait(10s), 0) << DeviceTrace();

    const std::string out = CliOutput();
    EXPECT_NE(out.find("Press & release the Setup button on Rover Module.\nPress Ctrl-C to cancel.\n"
                       "Parameters received from Rover Module 7.\n"
                       "Rover Module ID 7, network S/N 00A4B512 7C3E9D01, PAN ID 3332, RF channel 0C\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("[Firmware Update Complete]\n"), std::string::npos) << out;

    const fs::path expected = root / "expected.bin";
    ASSERT_EQ(ConvertHexFileToImage((bundle / kHexFile).string(), expected.string()), ConvertResult::Ok);
    const std::string image = ReadAll(expected);
    const std::string written = ReadAll(flash);
    ASSERT_FALSE(image.empty());
    ASSERT_EQ(written.size(), kFlashSize);
    EXPECT_TRUE(written.compare(0, image.size(), image) == 0) << "flash differs from the converted image";
    EXPECT_EQ(written.find_first_not_of('\xFF', image.size()), std::string::npos);
    EXPECT_NE(DeviceTrace().find("link up: each end holds the other's serial number"), std::string::npos)
        << DeviceTrace();
    EXPECT_FALSE(PortEntryExists());
}

TEST_F(RadioVariantEndToEnd, CtrlCInTheDialogLeavesTheGatewayAndExits130)
{
    // Nobody presses Setup.
    auto device = StartDevice({"--variant", "radio-page", "--setup-after", "600000"});
    auto update = StartUpdate();
    ASSERT_TRUE(WaitForText(root / "cli.log", "Press Ctrl-C to cancel.\n", 60s)) << CliOutput() << DeviceTrace();
    ASSERT_TRUE(WaitForText(DeviceLog(), "\"<RS\": listening", 10s)) << DeviceTrace();

    update->Signal(SIGINT);
    ASSERT_EQ(update->Wait(20s), 130) << CliOutput();
    ASSERT_TRUE(WaitForText(DeviceLog(), "power off: port closed", 10s)) << DeviceTrace();
    const std::string trace = DeviceTrace();
    const size_t listening = trace.find("\"<RS\": listening");
    const size_t stopped = trace.find("\"<RN\": not listening", listening);
    EXPECT_NE(stopped, std::string::npos) << trace;
    EXPECT_NE(trace.find("\"<W\"", stopped), std::string::npos) << trace;

    const std::string out = CliOutput();
    EXPECT_EQ(out.find('['), std::string::npos) << "a message box was shown:\n" << out;
    EXPECT_EQ(out.find("Rover Module ID 7,"), std::string::npos) << out;
    EXPECT_TRUE(Settings().find("ComPort=") == std::string::npos) << Settings();

    device->Signal(SIGTERM);
    EXPECT_EQ(device->Wait(10s), 0) << DeviceTrace();
    EXPECT_FALSE(PortEntryExists());
}

} // namespace
} // namespace tvqx::e2e
