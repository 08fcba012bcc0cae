// tvqx-update.exe as a technician uses it, driven from outside its process
// the way clicks would drive it: a port button checked and the window told
// of the click, "Begin Update" pressed, the success box read and closed,
// "Done" pressed. The device is tvqx-devsim on a pseudo-terminal that Wine
// maps to the COM port (see tests/win32/run-over-pty.sh); Wine's limits
// there (modem-line calls failing with error 50, no exclusive open, no line
// timing) are the program's to live with, and the update must succeed.
//
// A click is never imitated with BM_CLICK: sent to a disabled automatic
// radio button, Wine loops in it for ever.

#include "app/Resource.h"
#include "tests/common/ScratchDir.h"
#include "tests/wine-e2e/ProcessSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tvqx::winproc {
namespace {

using namespace std::chrono_literals;

// What the user sees, written out here rather than taken from the program.
constexpr const char* kMainTitle = "Tollvane QX-R Firmware Update";
constexpr const char* kSuccessCaption = "Firmware Update Complete";
constexpr const char* kSuccessText = "The Tollvane QX-R firmware has been successfully updated.     ";
constexpr const char* kSuccessResult = "Tollvane QX-R firmware successfully updated";
constexpr const char* kDialogClass = "#32770";

std::string TextOf(HWND hwnd)
{
    char text[1024] = "";
    ::SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// A top-level window of `process` with this class and title, by FindWindowEx
// over every window of that title (other tests' windows may share it).
HWND FindProcessWindow(DWORD process, const char* className, const char* title)
{
    for (HWND hwnd = nullptr; (hwnd = ::FindWindowExA(nullptr, hwnd, className, title)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == process && ::IsWindowVisible(hwnd))
            return hwnd;
    }
    return nullptr;
}

// Every visible dialog box of `process` but `except`: the message boxes it
// shows.
std::vector<HWND> BoxesOf(DWORD process, HWND except)
{
    std::vector<HWND> boxes;
    for (HWND hwnd = nullptr; (hwnd = ::FindWindowExA(nullptr, hwnd, kDialogClass, nullptr)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == process && hwnd != except && ::IsWindowVisible(hwnd))
            boxes.push_back(hwnd);
    }
    return boxes;
}

// A message box's text: its one static control that holds text (the icon is
// a static control without any).
std::string BoxText(HWND box)
{
    std::string found;
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM param) -> BOOL {
            char className[32] = "";
            ::GetClassNameA(child, className, sizeof className);
            const std::string text = TextOf(child);
            if (_stricmp(className, "Static") == 0 && !text.empty()) {
                *reinterpret_cast<std::string*>(param) = text;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// What a click on an enabled button makes the window see.
void Press(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

TEST(WindowProcess, DrivenToAnUpdateOfTheDeviceOnTheChosenPort)
{
    const char* com = std::getenv("TVQX_TEST_COM");
    const int port = com ? std::atoi(com) : 0;
    ASSERT_GT(port, 0) << "run this test through tests/win32/run-over-pty.sh";
    const char* flashPath = std::getenv("TVQX_TEST_FLASH");
    ASSERT_NE(flashPath, nullptr);
    std::filesystem::remove(flashPath);

    // The port is listed before the window starts: it reads the device map
    // as it comes up.
    DeviceMapEntry device("\\Device\\TvqxPty" + std::to_string(::GetCurrentProcessId()), port);
    test::ScratchDir temp("tvqx-wine-window");
    ChildProcess window(WindowsPath(TVQX_WINDOW_EXE), "", temp.Path("output.txt"));
    ASSERT_TRUE(window.Started()) << TVQX_WINDOW_EXE;

    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindProcessWindow(window.Id(), kDialogClass, kMainTitle)) != nullptr; },
                          120s))
        << "no window titled \"" << kMainTitle << "\"";

    // Choosing the port: the radio buttons checked as a click leaves them,
    // then the click's notification.
    const int chosen = IDC_COM1 + port - 1;
    const HWND portButton = ::GetDlgItem(main, chosen);
    ASSERT_NE(portButton, nullptr);
    ASSERT_TRUE(::IsWindowEnabled(portButton)) << "COM" << port << " is not offered";
    for (int id = IDC_COM1; id < IDC_COM1 + 22; ++id)
        ::SendMessageA(::GetDlgItem(main, id), BM_SETCHECK, id == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageA(main, WM_COMMAND, MAKEWPARAM(chosen, BN_CLICKED), reinterpret_cast<LPARAM>(portButton));

    const HWND begin = ::GetDlgItem(main, IDC_BEGIN_UPDATE);
    ASSERT_TRUE(::IsWindowEnabled(begin)) << "Begin Update is disabled; result line: "
                                          << TextOf(::GetDlgItem(main, IDC_RESULT));
    // Posted: the update runs inside the window's handler of the click.
    Press(main, IDC_BEGIN_UPDATE);

    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto boxes = BoxesOf(window.Id(), main);
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr;
        },
        120s))
        << "no message box; result line: " << TextOf(::GetDlgItem(main, IDC_RESULT));
    ASSERT_EQ(TextOf(box), kSuccessCaption) << BoxText(box);
    EXPECT_EQ(BoxText(box), kSuccessText);
    Press(box, IDOK);

    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }, 30s));
    EXPECT_TRUE(WaitUntil([&] { return TextOf(::GetDlgItem(main, IDC_RESULT)) == kSuccessResult; }, 30s))
        << TextOf(::GetDlgItem(main, IDC_RESULT));
    EXPECT_EQ(FlashMismatch(flashPath, SampleImage(TVQX_EXAMPLES_DIR)), "");

    // "Done" ends the program.
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(main, IDCANCEL)) != FALSE; }, 30s));
    Press(main, IDCANCEL);
    EXPECT_EQ(window.WaitForExit(60s), 0);
}

} // namespace
} // namespace tvqx::winproc
