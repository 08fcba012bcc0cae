#pragma once
// The main window on the Win32 backend, a real dialog window, with pretend
// surroundings: the sample firmware files, COM1 and COM3 present (COM3 leads
// to the simulated page boot loader, on virtual time), nothing saved.

#include "app/ProgramServices.h"
#include "app/Resource.h"
#include "app/TVQX_UpdateDlg.h"
#include "platform/PortInventory.h"
#include "platform/Profile.h"
#include "platform/ShellOpen.h"
#include "platform/TickClock.h"
#include "platform/WindowDirectory.h"
#include "serial/SimulatedPortLayer.h"
#include "sim/PageBootLoader.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/Win32DialogWindow.h"

#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/Win32Api.h"

namespace tvqx {

struct ShownBox {
    std::string text;
    std::string caption;
    UINT type = 0;
    int waitCursorDepth = 0;
};

inline std::string WindowText(HWND hwnd)
{
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
    return text;
}

inline LONG_PTR StyleOf(HWND hwnd)
{
    return GetWindowLongPtrA(hwnd, GWL_STYLE);
}

// Hands out what the window system has queued for the thread until `done`
// holds; gives up after `limitMs` of real time, so that a message that never
// comes fails the test instead of hanging it.
inline bool PumpUntil(Win32Backend& ui, const std::function<bool()>& done, DWORD limitMs = 5000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= limitMs)
            return false;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            ui.PumpMessage();
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, limitMs - spent, QS_ALLINPUT);
    }
    return true;
}

// Everything already queued, then nothing more.
inline void PumpPending(Win32Backend& ui)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        ui.PumpMessage();
}

class Win32MainWindowTest : public ::testing::Test {
protected:
    Win32MainWindowTest()
    {
        // A copy of its own: the firmware files are opened with sharing
        // denied, so test processes running side by side must not share them.
        for (const char* name : {"Tollvane-QX-R_with_Rd_Sw_Conn.txt", "TVQX-R_4_12.hex"})
            std::filesystem::copy_file(std::string(TVQX_EXAMPLES_DIR) + name, m_scratch.Path(name));
        ports.Attach(3, device);
        ui.SetApplicationIcon(IDR_MAINFRAME);
        ui.interceptMessageBox = [this](const std::string& text, const std::string& caption, UINT type) {
            boxes.push_back({text, caption, type, ui.WaitCursorDepth()});
            if (onBox)
                onBox();
            return true;
        };
    }
    ~Win32MainWindowTest() override
    {
        if (dlg)
            ui.Destroy(*dlg);
    }

    // Shows the main window without a modal loop; the test drives it.
    CTVQX_UpdateDlg& Open()
    {
        dlg = std::make_unique<CTVQX_UpdateDlg>(services);
        dlg->m_programDir = m_scratch.Root();
        dlg->m_tempDir = m_scratch.Root();
        EXPECT_TRUE(ui.Create(*dlg));
        return *dlg;
    }
    HWND Window() const { return ui.WindowOf(*dlg); }
    HWND Control(int id) const { return ui.ControlOf(*dlg, id); }
    std::string TextOf(int id) const { return WindowText(Control(id)); }
    bool Checked(int id) const { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int id) const { SendMessageA(Control(id), BM_CLICK, 0, 0); }

    Win32Backend ui;
    VirtualTickClock clock{1'000'000};
    sim::PageBootLoader device;
    SimulatedPortLayer ports{clock};
    FixedPortInventory inventory{std::vector<PortEntry>{{"COM1", "\\\\.\\COM1"}, {"COM3", "\\\\.\\COM3"}}};
    MemoryProfile profile;
    EmptyWindowDirectory windows;
    RecordingShellOpen shell;
    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};
    std::unique_ptr<CTVQX_UpdateDlg> dlg;
    std::vector<ShownBox> boxes;
    std::function<void()> onBox;
    test::ScratchDir m_scratch{"tvqx-win32ui"};
};

} // namespace tvqx
