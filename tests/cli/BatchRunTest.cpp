// Several units at once, each unit's window on a virtual clock of its own
// with its device on its own simulated port: what each unit sees is exactly
// a single run's, so the tests look at what the batch adds. One unit failing
// leaves the others alone, every unit line carries its port, the summary and
// the exit status, Ctrl-C in a batch of waiting units, one image for all and
// the saved port left as it was.

#include "cli/BatchRun.h"
#include "firmware/HexImage.h"
#include "platform/File.h"
#include "sim/PageBootLoader.h"
#include "sim/VariantDevices.h"
#include "tests/common/ScratchDir.h"
#include "testsupport/FakePlatform.h"
#include "testsupport/SimulatedPortLayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <algorithm>
#include <map>
#include <mutex>
#include <sstream>

namespace tvqx::cli::test {
namespace {

constexpr uint64_t kStartMs = 1'000'000;

// One unit's world: clock, window backend, port and device of its own; the
// settings are the batch's read-only view of the user's.
struct SimulatedUnit final : UnitSurroundings {
    SimulatedUnit(int port, int variant, Profile& userSettings, sim::VariantDevice device)
        : port(port), settings(userSettings), unit(std::move(device)),
          inventory(std::vector<PortEntry>{{"COM" + std::to_string(port), "/dev/simulated"}})
    {
        ports.Attach(port, unit.Line());
        services.updateVariant = variant;
    }
    ~SimulatedUnit() override
    {
        if (onEnd)
            onEnd(*this);
    }
    ProgramServices& Services() override { return services; }
    HeadlessBackend& Ui() override { return ui; }

    std::function<void(SimulatedUnit&)> onEnd;
    std::unique_ptr<PortHandle> held;   // the port opened by somebody else

    int port;
    VirtualTickClock clock{kStartMs};
    HeadlessBackend ui{clock};
    SimulatedPortLayer ports{clock};
    ReadOnlySettings settings;
    sim::VariantDevice unit;
    FixedPortInventory inventory;
    FakeWindowDirectory windows;
    RecordingShellOpen shell;
    ProgramServices services{ui, clock, ports, inventory, settings, windows, shell};
};

class BatchRunTest : public ::testing::Test {
protected:
    BatchRunTest()
    {
        for (const char* name : {"Tollvane-QX-R_with_Rd_Sw_Conn.txt", "TVQX-R_4_12.hex"})
            std::filesystem::copy_file(std::string(TVQX_EXAMPLES_DIR) + name, programDir + name);
        userSettings.WriteProfileInt("Settings", "ComPort", 9);
    }

    // Runs the batch on `ports`; COMn's device has faults[n].
    int Run(const std::vector<int>& ports)
    {
        BatchSetup setup;
        setup.programDir = programDir;
        setup.tempDir = tempDir;
        setup.updateVariant = variant;
        setup.interruptRequested = [this] { return interrupt.exchange(false); };
        setup.interruptCancels = [this](bool cancels) {
            if (cancels && interruptOnceAllWait)
                interrupt = true;
        };
        // Reads only: the units' threads share the map.
        setup.makeUnit = [&](int port) {
            const auto own = faults.find(port);
            auto unit = std::make_unique<SimulatedUnit>(
                port, variant, userSettings,
                sim::MakeDeviceForVariant(variant, own != faults.end() ? own->second : sim::VariantDeviceFaults{}));
            if (onUnit)
                onUnit(*unit);
            return unit;
        };
        return RunBatch(setup, ports, out, err);
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    tvqx::test::ScratchDir scratch{"tvqx-batch"};
    std::string programDir = scratch.MakeDir("program/");
    std::string tempDir = scratch.MakeDir("temp/");
    MemoryProfile userSettings;
    int variant = 10;
    std::map<int, sim::VariantDeviceFaults> faults;
    std::function<void(SimulatedUnit&)> onUnit;
    std::atomic<bool> interrupt{false};
    bool interruptOnceAllWait = false;
    std::ostringstream out;
    std::ostringstream err;
};

// The ways a single run fails, each met by the middle unit of three.
struct UnitFailure {
    const char* name;
    void (*device)(sim::VariantDeviceFaults&);   // COM4's device, or nothing
    void (*unit)(SimulatedUnit&);                // COM4's surroundings, or nothing
    const char* summaryEnd;                      // how COM4's summary line ends, after its time
};

void PrintTo(const UnitFailure& c, std::ostream* os) { *os << c.name; }

const UnitFailure kUnitFailures[] = {
    {"NoAnswerFromPage3", [](auto& f) { f.pages.hangAtPage = 3; }, nullptr,
     " s - No response from the Tollvane QX-R."},
    {"WrongVersion", [](auto& f) { f.pages.versionText = "TVQXR-1-3.99"; }, nullptr,
     " s - Invalid version response from the Tollvane QX."},
    {"Unplugged", nullptr, [](SimulatedUnit& u) { u.clock.At(kStartMs + 2000, [&u] { u.ports.Detach(4); }); },
     " s - No response from the Tollvane QX-R."},
    {"PortHeldElsewhere", nullptr, [](SimulatedUnit& u) { u.held = u.ports.CreateFile(4); },
     " s - Unable to open serial port COM4"},
};

class BatchUnitFailure : public BatchRunTest, public ::testing::WithParamInterface<UnitFailure> {};

TEST_P(BatchUnitFailure, LeavesTheOthersAloneAndEveryLineNamesItsUnit)
{
    const UnitFailure& c = GetParam();
    // Every unit gets the same image, and nobody may change it meanwhile.
    std::map<int, std::vector<uint8_t>> flashed;
    std::mutex mutex;
    if (c.device)
        c.device(faults[4]);
    onUnit = [&](SimulatedUnit& unit) {
        if (unit.port == 4 && c.unit)
            c.unit(unit);
        unit.clock.At(kStartMs + 3000, [&] {
            bool held = false;
            EXPECT_FALSE(File::Create(tempDir + "Hex.tmp", File::Sharing::None, &held));
            EXPECT_TRUE(held);
            // ... and it is the only one: no unit made its own.
            const auto all = std::filesystem::recursive_directory_iterator(tempDir);
            EXPECT_EQ(std::count_if(begin(all), end(all), [](const auto& e) { return e.path().filename() == "Hex.tmp"; }),
                      1);
        });
        unit.onEnd = [&](SimulatedUnit& ended) {
            const std::lock_guard lock(mutex);
            flashed[ended.port] = ended.unit.pageLoader->Flash();
        };
    };
    EXPECT_EQ(Run({3, 4, 5}), kExitFailed);

    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 4u);
    const std::vector<std::string> summary(lines.end() - 4, lines.end());
    EXPECT_EQ(summary[0].rfind("COM3  updated ", 0), 0u) << summary[0];
    EXPECT_EQ(summary[1].rfind("COM4  failed ", 0), 0u) << summary[1];
    EXPECT_TRUE(summary[1].ends_with(c.summaryEnd)) << summary[1];
    EXPECT_EQ(summary[2].rfind("COM5  updated ", 0), 0u) << summary[2];
    EXPECT_EQ(summary[3], "2 of 3 units updated");
    for (size_t i = 0; i + 4 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].starts_with("COM3: ") || lines[i].starts_with("COM4: ") || lines[i].starts_with("COM5: "))
            << lines[i];
    EXPECT_NE(out.str().find("COM4: [Firmware Update Error]\n"), std::string::npos);
    EXPECT_NE(out.str().find("COM5: Tollvane QX-R firmware successfully updated\n"), std::string::npos);
    const std::optional<std::vector<uint8_t>> image = [&] {
        std::optional<File> file = File::OpenRead(programDir + "TVQX-R_4_12.hex");
        return file ? BuildImageFromHexFile(*file) : std::nullopt;
    }();
    ASSERT_TRUE(image);
    for (int port : {3, 5})
        EXPECT_TRUE(std::equal(image->begin(), image->end(), flashed[port].begin())) << port;

    // The image is gone, so are the units' own copies of the files, and
    // the saved port is the user's still.
    EXPECT_FALSE(std::filesystem::exists(tempDir + "Hex.tmp"));
    EXPECT_TRUE(std::filesystem::is_empty(tempDir));
    EXPECT_EQ(userSettings.GetProfileInt("Settings", "ComPort", 0), 9);
}

INSTANTIATE_TEST_SUITE_P(Ways, BatchUnitFailure, ::testing::ValuesIn(kUnitFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// Ctrl-C while every unit waits for its boot loader cancels them all.
TEST_F(BatchRunTest, CtrlCWhileEveryUnitWaitsCancelsThemAll)
{
    variant = 4;
    for (int port : {2, 7})
        faults[port].wakeUp.neverWakes = true;
    interruptOnceAllWait = true;
    EXPECT_EQ(Run({2, 7}), kExitCancelled);

    const std::string text = out.str();
    EXPECT_EQ(text.find("Press Ctrl-C to cancel."), text.rfind("Press Ctrl-C to cancel."));   // once for all
    EXPECT_NE(text.find("COM2  cancelled "), std::string::npos) << text;
    EXPECT_NE(text.find("COM7  cancelled "), std::string::npos) << text;
    EXPECT_NE(text.find("0 of 2 units updated"), std::string::npos);
}

// The radio procedures: a gateway on every port, each reaching its own remote
// unit, and every unit's rover dialog answered as a single run answers it.
class BatchRadio : public BatchRunTest, public ::testing::WithParamInterface<int> {};

TEST_P(BatchRadio, EveryGatewayReachesItsOwnRemoteUnit)
{
    variant = GetParam();
    for (int port : {3, 4})
        faults[port].radio.setupAfterListenMs = 1000 * port;   // each remote's Setup pressed in its time
    EXPECT_EQ(Run({3, 4}), kExitUpdated) << out.str();
    for (const std::string port : {"COM3", "COM4"}) {
        EXPECT_NE(out.str().find(port + ": Rover Module ID "), std::string::npos) << out.str();
        EXPECT_NE(out.str().find(port + "  updated "), std::string::npos) << out.str();
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, BatchRadio, ::testing::Values(3, 6));

} // namespace
} // namespace tvqx::cli::test
