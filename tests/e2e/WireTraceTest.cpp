// The wire trace of a real run: the console updater's --trace and the
// TVQX_TRACE variable, against the virtual device on a pseudo-terminal.

#include "tests/e2e/EndToEndFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tvqx::e2e {
namespace {

class WireTrace : public EndToEndFixture {
protected:
    WireTrace() { InstallUpdater(TVQX_CLI_PATH); }

    std::unique_ptr<Process> StartUpdate(std::vector<std::string> options, std::vector<std::string> extraEnv = {})
    {
        std::vector<std::string> args = {(bundle / "tvqx-update-cli").string(), "--port", "COM7"};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<std::string> all = env;
        all.insert(all.end(), extraEnv.begin(), extraEnv.end());
        return std::make_unique<Process>(args, all, UpdateLog());
    }

    std::string HexOf(size_t from, size_t count) const
    {
        std::string hex;
        char byte[4];
        for (size_t i = from; i < from + count; ++i) {
            std::snprintf(byte, sizeof byte, i == from ? "%02X" : " %02X", image[i]);
            hex += byte;
        }
        return hex;
    }
};

TEST_F(WireTrace, HoldsTheVersionRequestAndThePages)
{
    WriteFirmware(256);
    const fs::path trace = root / "trace.txt";
    const fs::path unused = root / "from-variable.txt";
    auto device = StartDevice({"--fast", "--updates", "1"});
    // The command line wins over the variable.
    auto update = StartUpdate({"--trace", trace.string()}, {"TVQX_TRACE=" + unused.string()});
    ASSERT_EQ(update->Wait(20s), 0) << CliOutput();
    ASSERT_EQ(device->Wait(5s), 0) << DeviceTrace();
    EXPECT_FALSE(fs::exists(unused));

    const std::string text = ReadAll(trace);
    EXPECT_EQ(text.rfind("tvqx-update-cli 2.0.0.38 wire trace of ", 0), 0u) << text;
    EXPECT_NE(text.find("       0 ms  open COM7 " + PortEntry(7).string() + " -> /dev/pts/"), std::string::npos)
        << text;
    EXPECT_NE(text.find("  line 9600 8N1, DTR on, RTS on,"), std::string::npos) << text;
    EXPECT_NE(text.find("  > 19 bytes    7E 23 26 54 56 2D 51 58 2D 52 2D 32 30 35 2D 37 2E 33 31  "
                        "|~#&TV-QX-R-205-7.31|\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  < 1 byte      21 "), std::string::npos) << text;
    EXPECT_NE(text.find("  > 128 bytes   " + HexOf(0, 128) + "  |"), std::string::npos) << text;
    EXPECT_NE(text.find("  > 128 bytes   " + HexOf(128, 128) + "  |"), std::string::npos) << text;
    EXPECT_NE(text.find("  DTR off\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("  close COM7\n")) << text;
}

TEST_F(WireTrace, VariableAloneAsksForIt)
{
    WriteFirmware(128);
    const fs::path trace = root / "from-variable.txt";
    auto device = StartDevice({"--fast", "--updates", "1"});
    auto update = StartUpdate({}, {"TVQX_TRACE=" + trace.string()});
    ASSERT_EQ(update->Wait(20s), 0) << CliOutput();
    ASSERT_EQ(device->Wait(5s), 0) << DeviceTrace();
    EXPECT_NE(ReadAll(trace).find("  > 128 bytes   " + HexOf(0, 128)), std::string::npos) << ReadAll(trace);
}

// A trace that cannot be written stops the run before the port is touched.
TEST_F(WireTrace, UnwritableFileSendsNothing)
{
    WriteFirmware(128);
    auto device = StartDevice({"--fast"});
    const std::string missing = (root / "no-such-dir" / "trace.txt").string();
    auto update = StartUpdate({"--trace", missing});
    ASSERT_EQ(update->Wait(20s), 2) << CliOutput();
    EXPECT_EQ(CliOutput(), "tvqx-update-cli: cannot create the trace file " + missing + "\n");
    device->Signal(SIGTERM);
    EXPECT_EQ(device->Wait(5s), 0);
    EXPECT_EQ(DeviceTrace().find("power on"), std::string::npos) << DeviceTrace();
}

} // namespace
} // namespace tvqx::e2e
