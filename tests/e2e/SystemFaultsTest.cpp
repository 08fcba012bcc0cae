// What the system around the console updater does to it: a second copy of
// the program, a device that vanishes, a settings file that cannot be used,
// Ctrl-C in the middle of a transfer and during the wait for the device. In
// every case: no success that was not earned, no crash, no hang.

#include "tests/e2e/EndToEndFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace tvqx::e2e {
namespace {

class SystemFaults : public EndToEndFixture {
protected:
    SystemFaults() { InstallUpdater(TVQX_CLI_PATH); }

    fs::path Flash(int com) const { return root / ("flash" + std::to_string(com) + ".bin"); }
    std::unique_ptr<Process> StartFastDevice(int com = 7)
    {
        return StartDevice({"--fast", "--flash-out", Flash(com).string()}, com);
    }
    // The device on COMn holds the image in its flash.
    void ExpectFlashed(int com = 7)
    {
        const std::string written = ReadAll(Flash(com));
        ASSERT_EQ(written.size(), 65536u) << DeviceTrace(com);
        EXPECT_EQ(written.substr(0, image.size()), std::string(image.begin(), image.end()));
    }
};

TEST_F(SystemFaults, CopyStartedDuringATransferRefusesAndSaysWhy)
{
    WriteFirmware(8192);
    auto device7 = StartFastDevice(7);
    auto device8 = StartFastDevice(8);
    auto first = StartUpdate(7);
    ASSERT_TRUE(WaitForText(DeviceLog(7), "page 3:", 20s)) << DeviceTrace(7);
    auto second = StartUpdate(8);
    ASSERT_EQ(second->Wait(20s), 1) << CliOutput(8);
    ASSERT_EQ(first->Wait(60s), 0) << CliOutput(7);

    const std::string out = CliOutput(8);
    EXPECT_NE(out.find("Another copy of the update program is updating a device with the page image, and holds it "
                       "until it has finished; try again then. The page image: " + PageImage().string() + "\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(DeviceTrace(8).find("power on"), std::string::npos) << "the second copy opened its port";
    ExpectFlashed(7);
}

// A USB adapter pulled out: the device and its port vanish without a word.
TEST_F(SystemFaults, DeviceKilledMidTransferIsAFailureInTime)
{
    WriteFirmware(16384);
    auto device = StartFastDevice();
    auto update = StartUpdate();
    ASSERT_TRUE(WaitForText(DeviceLog(), "page 3:", 20s)) << DeviceTrace();
    device->Signal(SIGKILL);
    device->Wait(5s);

    // The page answer's time-out is three seconds; the limit only catches a hang.
    ASSERT_EQ(update->Wait(20s), 1) << CliOutput();
    EXPECT_TRUE(CliOutput().ends_with("\nFirmware update failed\n")) << CliOutput();
    EXPECT_EQ(Settings().find("ComPort"), std::string::npos) << Settings();
}

// Ctrl-C outside the wait for the device ends the program at once.
TEST_F(SystemFaults, CtrlCMidTransferEndsAtOnceWithThePortClosed)
{
    WriteFirmware(16384);
    auto device = StartFastDevice();
    auto update = StartUpdate();
    ASSERT_TRUE(WaitForText(DeviceLog(), "page 3:", 20s)) << DeviceTrace();
    update->Signal(SIGINT);
    ASSERT_EQ(update->Wait(10s), 130) << CliOutput();
    ASSERT_TRUE(WaitForText(DeviceLog(), "power off: port closed", 10s)) << DeviceTrace();
    EXPECT_EQ(DeviceTrace().find("update 1 complete"), std::string::npos) << DeviceTrace();
    EXPECT_EQ(Settings().find("ComPort"), std::string::npos) << Settings();

    // The port is free for the next run.
    WriteFirmware(1024);
    auto again = StartUpdate();
    EXPECT_EQ(again->Wait(30s), 0) << CliOutput();
}

struct SettingsCase {
    const char* name;
    // Makes the settings file what the case is about, under the
    // configuration directory.
    void (*prepare)(const fs::path& dir);
    const char* savedAfterwards;   // a text the file holds after the run, or nullptr
};

class BrokenSettings : public SystemFaults, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(BrokenSettings, DefaultsAndTheUpdateGoesOn)
{
    WriteFirmware(1024);
    const fs::path dir = root / "config" / "Ostrale Systems";
    fs::create_directories(dir);
    GetParam().prepare(dir);
    auto device = StartFastDevice();
    auto update = StartUpdate();
    ASSERT_EQ(update->Wait(30s), 0) << CliOutput();
    ExpectFlashed();
    if (GetParam().savedAfterwards) {
        EXPECT_NE(Settings().find(GetParam().savedAfterwards), std::string::npos) << Settings();
    }
}

INSTANTIATE_TEST_SUITE_P(
    SettingsFile, BrokenSettings,
    ::testing::Values(
        SettingsCase{"Garbage",
                     [](const fs::path& dir) {
                         const char junk[] = "\0\xFF[Settings\n=\n[]\nComPort=\xFF\xFE\nComPort\n";
                         std::ofstream out(dir / "tvqx-update.conf", std::ios::binary);
                         out.write(junk, sizeof junk - 1);
                         out << std::string(100000, '[');
                     },
                     "ComPort=7"},
        // A directory in its place can be neither read nor replaced, even by root.
        SettingsCase{"NeitherReadableNorWritable",
                     [](const fs::path& dir) { fs::create_directories(dir / "tvqx-update.conf"); }, nullptr},
        // Readable, but the new file cannot be written beside it.
        SettingsCase{"Unwritable",
                     [](const fs::path& dir) {
                         std::ofstream(dir / "tvqx-update.conf") << "[Settings]\nComPort=5\n";
                         fs::create_directories(dir / "tvqx-update.conf.new");
                     },
                     "ComPort=5"},
        SettingsCase{"UnreadableByItsMode",
                     [](const fs::path& dir) {
                         std::ofstream(dir / "tvqx-update.conf") << "[Settings]\nComPort=5\n";
                         ::chmod((dir / "tvqx-update.conf").c_str(), 0);
                     },
                     nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// The updater built for a procedure that waits for the device (variant 4),
// against a unit that never wakes: Ctrl-C there is "Cancel Update".
class WaitingVariant : public EndToEndFixture {
protected:
    WaitingVariant()
    {
        InstallUpdater(TVQX_CLI_VARIANT4_PATH);
        for (const char* name : {kDescriptionFile, "TVQX-R_4_12.hex"})
            fs::copy_file(fs::path(TVQX_EXAMPLES_DIR) / name, bundle / name);
    }
};

TEST_F(WaitingVariant, CtrlCDuringTheWaitCancelsAndExits130)
{
    auto device = StartDevice({"--variant", "4", "--fast", "--never-wake"});
    auto update = StartUpdate();
    ASSERT_TRUE(WaitForText(DeviceLog(), "poll 1 (0xC0) received", 20s)) << DeviceTrace() << CliOutput();
    EXPECT_TRUE(fs::exists(PageImage()));   // written before the wait

    update->Signal(SIGINT);
    ASSERT_EQ(update->Wait(20s), 130) << CliOutput();
    EXPECT_TRUE(WaitForText(DeviceLog(), "power off: port closed", 10s)) << DeviceTrace();
    const std::string out = CliOutput();
    EXPECT_EQ(out.find('['), std::string::npos) << "a message box was shown:\n" << out;
    EXPECT_NE(out.find("Press Ctrl-C to cancel.\n"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(PageImage()));
    EXPECT_EQ(Settings().find("ComPort="), std::string::npos) << Settings();
}

} // namespace
} // namespace tvqx::e2e
