// The desktop's top-level windows through the window manager, and the port
// handover posted to a running serial test program. When in an update the
// window borrows and returns the port is the window's rule (tests/app);
// here the messages reach real windows, posted, with their numbers.

#include "platform/Win32WindowDirectory.h"
#include "testsupport/ProgramOnVirtualTime.h"

#include "tests/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

namespace tvqx::win32test {
namespace {

constexpr char kTestProgramTitle[] = "Ostrale Serial Test Program - COM5";

// Top-level windows as another program's would be, made on this thread:
// what is posted to them waits in its queue until the test takes it.
class DesktopWindows {
public:
    ~DesktopWindows()
    {
        for (HWND hwnd : m_windows)
            ::DestroyWindow(hwnd);
    }
    WindowHandle Add(const std::string& title, bool visible = true)
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TvqxTestProgramWindow";
        ::RegisterClassA(&windowClass);   // fails harmlessly when already registered
        m_windows.push_back(::CreateWindowExA(0, windowClass.lpszClassName, title.c_str(),
                                              WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0, 200, 100,
                                              nullptr, nullptr, windowClass.hInstance, nullptr));
        return reinterpret_cast<WindowHandle>(m_windows.back());
    }
    // The handover messages posted to `w` (never sent: they would have gone
    // past the queue), in order.
    static std::vector<std::pair<uintptr_t, intptr_t>> Received(WindowHandle w)
    {
        std::vector<std::pair<uintptr_t, intptr_t>> received;
        MSG msg;
        while (::PeekMessageA(&msg, reinterpret_cast<HWND>(w), kPortHandover, kPortHandover, PM_REMOVE))
            received.emplace_back(msg.wParam, msg.lParam);
        return received;
    }

private:
    std::vector<HWND> m_windows;
};

// The walk over the desktop shows in which windows the messages reach.
TEST(PortHandover, ReachesTheVisibleTestProgramWindowsFoundByWalkingTheDesktop)
{
    DesktopWindows desktop;
    const WindowHandle testProgram = desktop.Add(kTestProgramTitle);
    const WindowHandle linewatch = desktop.Add("ostrale linewatch [COM5]");
    const WindowHandle hidden = desktop.Add(kTestProgramTitle, false);
    const WindowHandle unrelated = desktop.Add("Linewatch " + std::string(120, 'T'));

    // Titles as the walk reads them, cut to the length asked for.
    Win32WindowDirectory windows;
    EXPECT_EQ(windows.GetWindowText(testProgram, 7), "Ostrale");
    EXPECT_EQ(windows.GetWindowText(unrelated, 99), "Linewatch " + std::string(89, 'T'));

    ProgramOnVirtualTime<> program;
    ProgramServices onTheDesktop{program.ui, program.clock, program.ports, program.inventory, program.profile,
                                 windows, program.shell};
    CTVQX_UpdateDlg dlg(onTheDesktop);
    dlg.BorrowPortFromTestProgram(5);
    dlg.ReturnPortToTestProgram();
    const std::vector<std::pair<uintptr_t, intptr_t>> both{{kReleasePort, 5}, {kReturnPort, 5}};
    EXPECT_EQ(DesktopWindows::Received(testProgram), both);
    EXPECT_EQ(DesktopWindows::Received(linewatch), both);
    EXPECT_TRUE(DesktopWindows::Received(hidden).empty());
    EXPECT_TRUE(DesktopWindows::Received(unrelated).empty());
}

} // namespace
} // namespace tvqx::win32test
