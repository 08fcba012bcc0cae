// The console updater and the virtual device as separate processes on a real
// pseudo-terminal: the one whole update of the console program, and its wire
// trace as --trace and the TVQX_TRACE variable ask for it.

#include "tests/e2e/EndToEndFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tvqx::e2e {
namespace {

class EndToEnd : public EndToEndFixture {
protected:
    EndToEnd() { InstallUpdater(TVQX_CLI_PATH); }

    // The updater on COM7 with `options`, and `extraEnv` beside the test's
    // environment.
    std::unique_ptr<Process> StartTracedUpdate(std::vector<std::string> options, std::vector<std::string> extraEnv)
    {
        std::vector<std::string> args = {(bundle / "tvqx-update-cli").string(), "--port", "COM7"};
        args.insert(args.end(), options.begin(), options.end());
        extraEnv.insert(extraEnv.begin(), env.begin(), env.end());
        return std::make_unique<Process>(args, extraEnv, UpdateLog());
    }
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
    EXPECT_TRUE(out.ends_with("Boot loader version  =  TVQXR-1-4.00\nSending hex file page  8  of  8\n"
                              "Tollvane QX-R firmware successfully updated\n"))
        << out;
    const std::string written = ReadAll(flash);
    ASSERT_EQ(written.size(), 65536u);
    EXPECT_EQ(written.substr(0, image.size()), std::string(image.begin(), image.end()));
    EXPECT_EQ(written.substr(image.size(), 10), std::string(10, '\xFF'));
    // The port that worked is remembered for the next start.
    EXPECT_NE(Settings().find("ComPort=7"), std::string::npos);
}

TEST_F(EndToEnd, TraceVariableAloneAsksForTheWireTrace)
{
    WriteFirmware(128);
    const fs::path trace = root / "trace.txt";
    auto device = StartDevice({"--fast", "--updates", "1"});
    auto update = StartTracedUpdate({}, {"TVQX_TRACE=" + trace.string()});
    ASSERT_EQ(update->Wait(20s), 0) << CliOutput();
    ASSERT_EQ(device->Wait(5s), 0) << DeviceTrace();

    // The port's line as the system names it, and the page as it went out.
    const std::string text = ReadAll(trace);
    EXPECT_EQ(text.rfind("tvqx-update-cli 2.0.0.38 wire trace of ", 0), 0u) << text;
    EXPECT_NE(text.find("       0 ms  open COM7 " + PortEntry(7).string() + " -> /dev/pts/"), std::string::npos)
        << text;
    EXPECT_NE(text.find("  > 128 bytes   00 07 0E 15 1C 23 2A 31 "), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("  close COM7\n")) << text;
}

// --trace wins over the variable; a trace that cannot be written stops the
// run before the port is touched.
TEST_F(EndToEnd, UnwritableTraceFileSendsNothing)
{
    WriteFirmware(128);
    auto device = StartDevice({"--fast"});
    const std::string missing = (root / "no-such-dir" / "trace.txt").string();
    const fs::path unused = root / "from-variable.txt";
    auto update = StartTracedUpdate({"--trace", missing}, {"TVQX_TRACE=" + unused.string()});
    ASSERT_EQ(update->Wait(20s), 2) << CliOutput();
    EXPECT_EQ(CliOutput(), "tvqx-update-cli: cannot create the trace file " + missing + "\n");
    EXPECT_FALSE(fs::exists(unused));
    device->Signal(SIGTERM);
    EXPECT_EQ(device->Wait(5s), 0);
    EXPECT_EQ(DeviceTrace().find("power on"), std::string::npos) << DeviceTrace();
}

} // namespace
} // namespace tvqx::e2e
