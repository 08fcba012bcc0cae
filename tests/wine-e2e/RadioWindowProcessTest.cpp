// A window program built for the 256-byte page update over the radio link,
// as a process under Wine against tvqx-devsim's radio gateway on the COM
// port (tests/win32/run-over-pty.sh with TVQX_DEVSIM_VARIANT=radio-page).
// The remote unit's link is not configured yet, so "Begin Update" finds the
// gateway, gets no answer through the link and asks for the unit's
// parameters, which arrive once tvqx-devsim presses the unit's
// Setup button; Cancel Update there ends the update quietly.

#include "app/Resource.h"
#include "tests/common/ScratchDir.h"
#include "tests/wine-e2e/ProcessSupport.h"
#include "tests/wine-e2e/WindowDriving.h"

#include <gtest/gtest.h>

namespace tvqx::winproc {
namespace {

using namespace std::chrono_literals;

// What the user sees, written out here rather than taken from the program.
constexpr const char* kMainTitle = "Tollvane QX-R Firmware Update";
constexpr const char* kRoverTitle = "Tollvane Rover Module Update";

bool Idle(HWND main)
{
    for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_REFRESH_PORTS})
        if (!::IsWindowEnabled(::GetDlgItem(main, id)))
            return false;
    return ::IsWindowEnabled(main) != FALSE && TextOf(::GetDlgItem(main, IDC_BEGIN_UPDATE)) == "Begin Update";
}

TEST(RadioLinkWindow, RoverDialogComesUpOverTheMainWindowAndCancelUpdateLeavesItIdle)
{
    const int port = PortOverPty();
    ASSERT_GT(port, 0) << "run this test through tests/win32/run-over-pty.sh";

    DeviceMapEntry device("\\Device\\TvqxPty" + std::to_string(::GetCurrentProcessId()), port);
    test::ScratchDir temp("tvqx-wine-radio-window");
    ChildProcess window(WindowsPath(TVQX_RADIO_WINDOW_EXE), "", temp.Path("output.txt"));
    ASSERT_TRUE(window.Started()) << TVQX_RADIO_WINDOW_EXE;

    const HWND main = WaitForWindow(window.Id(), kMainTitle);
    ASSERT_TRUE(main) << "no window titled \"" << kMainTitle << "\"";
    ASSERT_TRUE(ChoosePort(main, port)) << "COM" << port << " is not offered";
    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(main, IDC_BEGIN_UPDATE)))
        << "Begin Update is disabled; result line: " << TextOf(::GetDlgItem(main, IDC_RESULT));
    Press(main, IDC_BEGIN_UPDATE);

    // The gateway search tries four speeds before the gateway's, the radio
    // set-up and the unanswered probe take a few seconds more.
    const HWND rover = WaitForWindow(window.Id(), kRoverTitle);
    ASSERT_TRUE(rover) << "no window titled \"" << kRoverTitle << "\"; boxes: " << BoxesOf(window.Id(), {main}).size()
        << "; result line: " << TextOf(::GetDlgItem(main, IDC_RESULT));
    EXPECT_EQ(::GetWindow(rover, GW_OWNER), main);
    EXPECT_FALSE(::IsWindowEnabled(main));   // modal: the main window waits
    // The dialog's timer reads the port: the unit's line, sent when
    // tvqx-devsim presses its Setup button, fills the fields.
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(rover, IDC_START_UPDATE)) != FALSE; }, 30s))
        << TextOf(::GetDlgItem(rover, IDC_PARAM_STATUS));
    EXPECT_EQ(TextOf(::GetDlgItem(rover, IDC_ROVER_MODULE_ID)), "7");

    Press(rover, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(rover); }, 30s));
    // The procedure leaves the gateway and gives the window back; a message
    // box would hold it busy until closed.
    EXPECT_TRUE(WaitUntil([&] { return Idle(main); }, 60s)) << TextOf(::GetDlgItem(main, IDC_RESULT));
    EXPECT_TRUE(BoxesOf(window.Id(), {main}).empty());
    EXPECT_EQ(TextOf(::GetDlgItem(main, IDC_RESULT)), "");

    Press(main, IDCANCEL);
    EXPECT_EQ(window.WaitForExit(60s), 0);
}

} // namespace
} // namespace tvqx::winproc
