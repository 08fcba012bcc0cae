// What the system around the console updater does to it: a second copy of
// the program, a device that vanishes, a settings file that cannot be used,
// signals in the middle of a transfer, firmware files that are links. In
// every case: no success that was not earned, no crash, no hang.

#include "tests/e2e/EndToEndFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace tvqx::e2e {
namespace {

const std::string kSuccessBox =
    "[Firmware Update Complete]\nThe Tollvane QX-R firmware has been successfully updated.     \n\n";
const std::string kHeldNote = "Another copy of the update program is updating a device with the page image";
const std::string kFirmwareFileNote = "most likely another copy of the update program, was reading this firmware file";
constexpr const char* kPagesTaken = "page 0:";

class SystemFaults : public EndToEndFixture {
protected:
    SystemFaults() { InstallUpdater(TVQX_CLI_PATH); }

    fs::path Flash(int com) const { return root / ("flash" + std::to_string(com) + ".bin"); }
    std::unique_ptr<Process> StartFastDevice(int com = 7)
    {
        return StartDevice({"--fast", "--flash-out", Flash(com).string()}, com);
    }

    // The run on COMn ended in a success and the device's flash holds the
    // image, or it failed and the device took no page.
    void ExpectEarned(int status, int com)
    {
        const std::string out = CliOutput(com);
        const std::string trace = DeviceTrace(com);
        if (status == 0) {
            EXPECT_NE(out.find(kSuccessBox), std::string::npos) << out;
            const std::string written = ReadAll(Flash(com));
            ASSERT_EQ(written.size(), 65536u) << trace;
            EXPECT_EQ(written.substr(0, image.size()), std::string(image.begin(), image.end()));
        } else {
            EXPECT_EQ(out.find("successfully"), std::string::npos) << out;
            EXPECT_EQ(trace.find(kPagesTaken), std::string::npos) << trace;
            EXPECT_FALSE(fs::exists(Flash(com))) << trace;
        }
    }
};

TEST_F(SystemFaults, TwoCopiesStartedAtOnceOnTwoDevices)
{
    WriteFirmware(8192);   // 64 pages: seconds on the line, far longer than the two starts lie apart
    auto device7 = StartFastDevice(7);
    auto device8 = StartFastDevice(8);
    auto update7 = StartUpdate(7);
    auto update8 = StartUpdate(8);
    const int status7 = update7->Wait(60s);
    const int status8 = update8->Wait(60s);
    ASSERT_NE(status7, -1) << CliOutput(7);
    ASSERT_NE(status8, -1) << CliOutput(8);

    ExpectEarned(status7, 7);
    ExpectEarned(status8, 8);
    EXPECT_TRUE(status7 == 0 || status8 == 0) << CliOutput(7) << CliOutput(8);
    // The one that found a file taken (the firmware file while the other
    // read it, or the page image while the other sent it) says so.
    for (int com : {7, 8}) {
        const std::string out = CliOutput(com);
        if (out.find("temporary firmware file.") != std::string::npos) {
            EXPECT_NE(out.find(kHeldNote), std::string::npos) << out;
        }
        if (out.find("Unable to open the firmware hex file") != std::string::npos) {
            EXPECT_NE(out.find(kFirmwareFileNote), std::string::npos) << out;
        }
    }
}

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
    EXPECT_NE(out.find("[Firmware Update Error]\nUnable to create the temporary firmware file.               \n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(kHeldNote + ", and holds it until it has finished; try again then. The page image: " +
                       PageImage().string() + "\n"),
              std::string::npos)
        << out;
    ExpectEarned(1, 8);
    EXPECT_EQ(DeviceTrace(8).find("power on"), std::string::npos) << "the second copy opened its port";
    ExpectEarned(0, 7);
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
    const std::string out = CliOutput();
    EXPECT_NE(out.find("Tollvane QX-R.     \n\nFirmware update terminated."), std::string::npos) << out;
    EXPECT_NE(out.find("\nFirmware update failed\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("successfully"), std::string::npos) << out;
    EXPECT_EQ(Settings().find("ComPort"), std::string::npos) << Settings();
}

struct SignalCase {
    const char* name;
    int signal;
    int status;
};

class SignalMidTransfer : public SystemFaults, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(SignalMidTransfer, EndsAtOnceWithThePortClosed)
{
    WriteFirmware(16384);
    auto device = StartFastDevice();
    auto update = StartUpdate();
    ASSERT_TRUE(WaitForText(DeviceLog(), "page 3:", 20s)) << DeviceTrace();
    update->Signal(GetParam().signal);
    ASSERT_EQ(update->Wait(10s), GetParam().status) << CliOutput();
    ASSERT_TRUE(WaitForText(DeviceLog(), "power off: port closed", 10s)) << DeviceTrace();

    EXPECT_EQ(CliOutput().find("successfully"), std::string::npos) << CliOutput();
    EXPECT_EQ(DeviceTrace().find("update 1 complete"), std::string::npos) << DeviceTrace();
    EXPECT_EQ(Settings().find("ComPort"), std::string::npos) << Settings();

    // The port is free for the next run.
    WriteFirmware(1024);
    auto again = StartUpdate();
    EXPECT_EQ(again->Wait(30s), 0) << CliOutput();
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalMidTransfer,
                         ::testing::Values(SignalCase{"CtrlC", SIGINT, 130}, SignalCase{"Terminate", SIGTERM, 143}),
                         [](const auto& info) { return std::string(info.param.name); });

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
    ExpectEarned(0, 7);
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

// Firmware files beside the program may be links into a shared
// installation; the page image may not be a link to anything.
TEST_F(SystemFaults, FirmwareFilesThroughLinksAreUsed)
{
    const fs::path shared = root / "shared";
    fs::create_directories(shared);
    WriteFirmware(1024, shared);
    fs::create_symlink(shared / kDescriptionFile, bundle / kDescriptionFile);
    fs::create_symlink(shared / "fw.hex", bundle / "fw.hex");
    auto device = StartFastDevice();
    auto update = StartUpdate();
    ASSERT_EQ(update->Wait(30s), 0) << CliOutput();
    ExpectEarned(0, 7);
}

TEST_F(SystemFaults, LinkPlantedAtThePageImageIsNeverFollowed)
{
    WriteFirmware(1024);
    const fs::path victim = root / "victim.txt";
    std::ofstream(victim) << "keep me";
    fs::create_symlink(victim, PageImage());
    auto device = StartFastDevice();
    auto update = StartUpdate();
    ASSERT_EQ(update->Wait(30s), 1) << CliOutput();
    const std::string out = CliOutput();
    EXPECT_NE(out.find("Unable to create the temporary firmware file."), std::string::npos) << out;
    // Not held by anybody: no talk of another copy.
    EXPECT_EQ(out.find(kHeldNote), std::string::npos) << out;
    EXPECT_EQ(ReadAll(victim), "keep me");
    ExpectEarned(1, 7);
}

} // namespace
} // namespace tvqx::e2e
