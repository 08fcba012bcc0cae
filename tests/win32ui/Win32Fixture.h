#pragma once
// The main window on the Win32 backend, a real dialog window, with pretend
// surroundings: the sample firmware files, COM1 and COM3 present (COM3 leads
// to the simulated page boot loader, on virtual time), nothing saved.

#include "app/Resource.h"
#include "sim/PageBootLoader.h"
#include "tests/common/ScratchDir.h"
#include "testsupport/ProgramOnVirtualTime.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/Win32DialogTemplate.h"
#include "ui/win32/Win32DialogWindow.h"

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

// Everything already queued, then nothing more.
inline void PumpPending(Win32Backend& ui)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        ui.PumpMessage();
}

// Hands out what the window system queues for the thread until `done`
// holds; gives up after five seconds of real time, so that a message that
// never comes fails the test instead of hanging it.
inline bool PumpUntil(Win32Backend& ui, const std::function<bool()>& done)
{
    const DWORD start = GetTickCount();
    for (PumpPending(ui); !done(); PumpPending(ui)) {
        if (GetTickCount() - start >= 5000)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
    return true;
}

// Where the dialog manager puts a control: position and size each converted
// from dialog units on their own.
inline RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy)
{
    RECT r{x, y, cx, cy};
    MapDialogRect(dialog, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

inline RECT ClientRectInParent(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline LOGFONTA FontOf(HGDIOBJ font)
{
    LOGFONTA lf{};
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

// Every control of a live dialog as the dialog manager made it from the
// template: its window class, id, the styles the dialog never changes, and
// its rectangle.
inline void ExpectControlsMadeFromTemplate(Win32Backend& ui, const CDialog& dialog)
{
    const HWND hwnd = ui.WindowOf(dialog);
    const auto& controls = dialog.Template().controls;
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& c = controls[i];
        const HWND control = ui.DialogWindowOf(dialog)->ControlAt(static_cast<int>(i));
        ASSERT_NE(control, nullptr) << i;
        char className[64] = {};
        GetClassNameA(control, className, sizeof className);
        EXPECT_EQ(lstrcmpiA(className, ControlClassName(c.kind)), 0) << i << " " << className;
        EXPECT_EQ(GetDlgCtrlID(control), c.id) << i;
        const DWORD fixed = ControlWindowStyle(c) & ~(WS_VISIBLE | WS_DISABLED | WS_TABSTOP);
        EXPECT_EQ(static_cast<DWORD>(StyleOf(control)) & fixed, fixed) << i;
        const DWORD extended = ControlExtendedStyle(c);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(control, GWL_EXSTYLE)) & extended, extended) << i;
        EXPECT_TRUE(SameRect(ClientRectInParent(control), DialogUnits(hwnd, c.x, c.y, c.cx, c.cy))) << i;
    }
}

class Win32MainWindowTest : public ::testing::Test, protected ProgramOnVirtualTime<Win32Backend> {
protected:
    Win32MainWindowTest() : ProgramOnVirtualTime(1'000'000, {{"COM1", "\\\\.\\COM1"}, {"COM3", "\\\\.\\COM3"}})
    {
        // A copy of its own: the firmware files are opened with sharing
        // denied, so test processes running side by side must not share them.
        for (const char* name : {"Tollvane-QX-R_with_Rd_Sw_Conn.txt", "TVQX-R_4_12.hex"})
            std::filesystem::copy_file(std::string(TVQX_EXAMPLES_DIR) + name, m_scratch.Path(name));
        ports.Attach(3, device);
        ui.SetApplicationIcon(IDR_MAINFRAME);
        ui.interceptMessageBox = [this](const std::string& text, const std::string&, UINT) {
            boxes.push_back({text, ui.WaitCursorDepth()});
            if (onBox)
                onBox();
            return true;
        };
    }
    // The window goes before the device its port may lead to.
    ~Win32MainWindowTest() override { CloseWindow(); }

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
    bool Checked(int id) const { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int id) const { SendMessageA(Control(id), BM_CLICK, 0, 0); }

    sim::PageBootLoader device;
    std::vector<ShownBox> boxes;
    std::function<void()> onBox;
    test::ScratchDir m_scratch{"tvqx-win32ui"};
};

} // namespace tvqx
