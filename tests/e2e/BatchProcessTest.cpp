// Batches as processes: the console updater on several pseudo-terminals at
// once, against tvqx-devsim hosting several units. What only processes
// show: real ports, a unit pulled mid-transfer, and two copies with bundles
// of their own at the same time.

#include "tests/e2e/EndToEndFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tvqx::e2e {
namespace {

class BatchProcess : public EndToEndFixture {
protected:
    BatchProcess() { InstallUpdater(TVQX_CLI_PATH); }

    fs::path Flash(int com) const { return root / "flash" / ("COM" + std::to_string(com) + ".bin"); }
    std::string Flashed(int com) const { return ReadAll(Flash(com)).substr(0, image.size()); }
    std::string Image() const { return std::string(image.begin(), image.end()); }

    // `units` devices from COMn on, their flash files in flash/.
    std::unique_ptr<Process> StartUnits(int com, int units, std::vector<std::string> options = {})
    {
        options.insert(options.end(), {"--fast", "--units", std::to_string(units), "--flash-out",
                                       (root / "flash").string() + "/"});
        return StartDevice(options, com);
    }

    // The updater of `dir` on the ports given.
    std::unique_ptr<Process> StartBatch(const fs::path& dir, const std::vector<int>& ports, const fs::path& log)
    {
        std::vector<std::string> args{(dir / "tvqx-update-cli").string()};
        for (int port : ports)
            args.insert(args.end(), {"--port", "COM" + std::to_string(port)});
        return std::make_unique<Process>(args, env, log);
    }
};

TEST_F(BatchProcess, FourUnitsEachGetTheImage)
{
    WriteFirmware(8192);
    auto devices = StartUnits(5, 4);
    auto batch = StartBatch(bundle, {5, 6, 7, 8}, UpdateLog());
    ASSERT_EQ(batch->Wait(60s), 0) << CliOutput();

    EXPECT_NE(CliOutput().find("COM8  updated "), std::string::npos) << CliOutput();
    EXPECT_NE(CliOutput().find("\n4 of 4 units updated\n"), std::string::npos) << CliOutput();
    for (int com : {5, 6, 7, 8})
        EXPECT_EQ(Flashed(com), Image()) << com << DeviceTrace(5);
    EXPECT_FALSE(fs::exists(PageImage()));
}

// A USB adapter pulled out mid-transfer: that unit fails, the others go on.
TEST_F(BatchProcess, UnitPulledMidTransferFailsAlone)
{
    WriteFirmware(16384);
    auto devices = StartUnits(5, 2);
    auto pulled = StartDevice({"--fast", "--flash-out", (root / "pulled.bin").string()}, 9);
    auto batch = StartBatch(bundle, {5, 9, 6}, UpdateLog());
    ASSERT_TRUE(WaitForText(DeviceLog(9), "page 3:", 30s)) << DeviceTrace(9);
    pulled->Signal(SIGKILL);
    ASSERT_EQ(batch->Wait(60s), 1) << CliOutput();

    const std::string out = CliOutput();
    EXPECT_NE(out.find("COM9  failed "), std::string::npos) << out;
    EXPECT_NE(out.find("\n2 of 3 units updated\n"), std::string::npos) << out;
    for (int com : {5, 6})
        EXPECT_EQ(Flashed(com), Image()) << com;
}

// Two copies with bundles of their own started together: each unit holds
// its own copy's firmware or was never touched, and a copy that could not
// have the page image says why.
TEST_F(BatchProcess, TwoCopiesNeverSendEachOthersImage)
{
    WriteFirmware(8192);
    const std::string first = Image();
    const fs::path other = root / "other";
    fs::create_directories(other);
    fs::copy_file(bundle / "tvqx-update-cli", other / "tvqx-update-cli");
    for (uint8_t& b : image)
        b = static_cast<uint8_t>(~b);
    std::ofstream(other / kDescriptionFile) << "e2e other\nfw.hex\n";
    std::ofstream(other / "fw.hex") << MakeHex(image);
    const std::string second = Image();

    auto devices = StartUnits(5, 4);
    auto a = StartBatch(bundle, {5, 6}, root / "a.log");
    auto b = StartBatch(other, {7, 8}, root / "b.log");
    const int statusA = a->Wait(60s);
    const int statusB = b->Wait(60s);

    const struct {
        int status;
        std::string log, firmware;
        std::vector<int> ports;
    } copies[] = {{statusA, ReadAll(root / "a.log"), first, {5, 6}}, {statusB, ReadAll(root / "b.log"), second, {7, 8}}};
    for (const auto& copy : copies) {
        ASSERT_TRUE(copy.status == 0 || copy.status == 2) << copy.log;
        for (int com : copy.ports) {
            if (copy.status == 0) {
                EXPECT_EQ(Flashed(com), copy.firmware) << com;
            } else {
                EXPECT_FALSE(fs::exists(Flash(com))) << com;
            }
        }
        if (copy.status == 2) {
            EXPECT_NE(copy.log.find("Another copy of the update program"), std::string::npos) << copy.log;
        }
    }
    EXPECT_TRUE(statusA == 0 || statusB == 0);
}

} // namespace
} // namespace tvqx::e2e
