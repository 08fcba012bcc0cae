// The desktop's top-level windows through the window manager, and the port
// handover a whole update posts to a running serial test program.

#include "cli/UpdateRun.h"
#include "platform/Win32WindowDirectory.h"
#include "sim/PageBootLoader.h"
#include "tests/common/ScratchDir.h"
#include "testsupport/FakePlatform.h"
#include "testsupport/SimulatedPortLayer.h"
#include "update/ProgramServices.h"

#include "tests/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace tvqx::win32test {
namespace {

using Received = TestProgramWindows::Received;

constexpr char kTestProgramTitle[] = "Ostrale Serial Test Program - COM5";

// Every top-level window, in Z order, the way the program walks them.
std::vector<WindowHandle> Walk(WindowDirectory& windows)
{
    std::vector<WindowHandle> seen;
    for (WindowHandle w = windows.GetTopWindow(); windows.IsWindow(w); w = windows.GetNextWindow(w))
        seen.push_back(w);
    return seen;
}

bool Contains(const std::vector<WindowHandle>& list, WindowHandle w)
{
    return std::find(list.begin(), list.end(), w) != list.end();
}

TEST(Win32WindowDirectory, WalkReachesOtherThreadsWindowsWithTitleAndVisibility)
{
    TestProgramWindows desktop;
    const size_t shown = desktop.Add(kTestProgramTitle);
    const size_t hidden = desktop.Add(kTestProgramTitle, false);
    const size_t longTitle = desktop.Add(std::string(120, 'T'));
    Win32WindowDirectory windows;

    const auto seen = Walk(windows);
    for (size_t i : {shown, hidden, longTitle})
        EXPECT_TRUE(Contains(seen, desktop.Handle(i))) << i;
    EXPECT_TRUE(windows.IsWindowVisible(desktop.Handle(shown)));
    EXPECT_FALSE(windows.IsWindowVisible(desktop.Handle(hidden)));
    EXPECT_EQ(windows.GetWindowText(desktop.Handle(shown), 99), kTestProgramTitle);
    EXPECT_EQ(windows.GetWindowText(desktop.Handle(longTitle), 99), std::string(99, 'T'));
    EXPECT_EQ(windows.GetWindowText(desktop.Handle(shown), 7), "Ostrale");
    // The walk ends where the window manager says there is no next window.
    EXPECT_FALSE(windows.IsWindow(0));
}

// A whole update on the simulated device (on virtual time), with the real
// desktop as the program's window directory.
TEST(PortHandover, WholeUpdateAsksTheTestProgramForThePortAndGivesItBack)
{
    TestProgramWindows desktop;
    const size_t testProgram = desktop.Add(kTestProgramTitle);
    const size_t linewatch = desktop.Add("ostrale linewatch [COM5]");
    const size_t hidden = desktop.Add(kTestProgramTitle, false);
    const size_t unrelated = desktop.Add("Linewatch");

    VirtualTickClock clock(1'000'000);
    HeadlessBackend ui(clock);
    SimulatedPortLayer ports(clock);
    sim::PageBootLoader device;
    ports.Attach(5, device);
    FixedPortInventory inventory(std::vector<PortEntry>{{"COM5", "simulated"}});
    MemoryProfile profile;
    Win32WindowDirectory windows;
    RecordingShellOpen shell;
    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};

    test::ScratchDir temp("tvqx-win32");
    const std::string programDir = temp.MakeDir("program/");
    for (const char* name : {"Tollvane-QX-R_with_Rd_Sw_Conn.txt", "TVQX-R_4_12.hex"})
        std::filesystem::copy_file(std::string(TVQX_EXAMPLES_DIR) + name, programDir + name);
    cli::UpdateRunSetup setup{services, ui, programDir, temp.Root(), {}, {}, {}};
    std::ostringstream out;
    std::ostringstream err;
    cli::Console console{out, err, false};

    ASSERT_EQ(cli::RunUpdate(setup, 5, console), cli::kExitUpdated) << out.str() << err.str();
    EXPECT_TRUE(device.EndMarkerReceived());

    const std::vector<Received> both{{kReleasePort, 5}, {kReturnPort, 5}};
    EXPECT_EQ(desktop.ReceivedBy(testProgram), both);
    EXPECT_EQ(desktop.ReceivedBy(linewatch), both);
    EXPECT_TRUE(desktop.ReceivedBy(hidden).empty());
    EXPECT_TRUE(desktop.ReceivedBy(unrelated).empty());
}

} // namespace
} // namespace tvqx::win32test
