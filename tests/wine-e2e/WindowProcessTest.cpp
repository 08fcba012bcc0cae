// tvqx-update.exe as a technician uses it, driven from outside its process
// the way clicks would drive it: a port button checked and the window told
// of the click, "Begin Update" pressed, the success box read and closed,
// "Done" pressed. The device is tvqx-devsim on a pseudo-terminal that Wine
// maps to the COM port (see tests/win32/run-over-pty.sh); Wine's limits
// there (modem-line calls failing with error 50, no exclusive open, no line
// timing) are the program's to live with, and the update must succeed. That
// the bytes reach the device's flash is the console program's test.

#include "app/Resource.h"
#include "tests/common/ScratchDir.h"
#include "tests/wine-e2e/ProcessSupport.h"
#include "tests/wine-e2e/WindowDriving.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tvqx::winproc {
namespace {

using namespace std::chrono_literals;

// What the user sees, written out here rather than taken from the program.
constexpr const char* kMainTitle = "Tollvane QX-R Firmware Update";
constexpr const char* kSuccessCaption = "Firmware Update Complete";

TEST(WindowProcess, DrivenToAnUpdateOfTheDeviceOnTheChosenPort)
{
    const int port = PortOverPty();
    ASSERT_GT(port, 0) << "run this test through tests/win32/run-over-pty.sh";
    // The port is listed before the window starts: it reads the device map
    // as it comes up.
    DeviceMapEntry device("\\Device\\TvqxPty" + std::to_string(::GetCurrentProcessId()), port);
    test::ScratchDir temp("tvqx-wine-window");
    ChildProcess window(WindowsPath(TVQX_WINDOW_EXE), "", temp.Path("output.txt"));
    ASSERT_TRUE(window.Started()) << TVQX_WINDOW_EXE;

    const HWND main = WaitForWindow(window.Id(), kMainTitle);
    ASSERT_TRUE(main) << "no window titled \"" << kMainTitle << "\"";

    ASSERT_TRUE(ChoosePort(main, port)) << "COM" << port << " is not offered";

    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(main, IDC_BEGIN_UPDATE)))
        << "Begin Update is disabled; result line: " << TextOf(::GetDlgItem(main, IDC_RESULT));
    // Posted: the update runs inside the window's handler of the click.
    Press(main, IDC_BEGIN_UPDATE);

    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto boxes = BoxesOf(window.Id(), {main});
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr;
        },
        120s))
        << "no message box; result line: " << TextOf(::GetDlgItem(main, IDC_RESULT));
    // Its text is the procedure's, and reaches the system's box (tests/win32ui).
    ASSERT_EQ(TextOf(box), kSuccessCaption);
    Press(box, IDOK);

    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }, 30s));

    // "Done" ends the program.
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(main, IDCANCEL)) != FALSE; }, 30s));
    Press(main, IDCANCEL);
    EXPECT_EQ(window.WaitForExit(60s), 0);
}

} // namespace
} // namespace tvqx::winproc
