// The main window as the Windows dialog manager makes it from the template,
// kept in step with the dialog, and driven through real window messages.

#include "Win32Fixture.h"

#include "ui/win32/Win32Api.h"

namespace tvqx {
namespace {

TEST_F(Win32MainWindowTest, EveryControlIsMadeFromTheTemplateAndFollowsTheDialogsState)
{
    Open();
    const HWND hwnd = Window();
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_TRUE(SameRect(client, DialogUnits(hwnd, 0, 0, 647, 425)));

    const auto style = static_cast<DWORD>(StyleOf(hwnd));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), DWORD(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);   // fixed size
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);   // a taskbar button
    EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    const LOGFONTA dialogFont = FontOf(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
    EXPECT_STREQ(dialogFont.lfFaceName, "MS Shell Dlg");
    ExpectControlsMadeFromTemplate(ui, *dlg);

    // The texts themselves are the dialog's (tests/app); here they and every
    // change of state reach the controls.
    EXPECT_EQ(WindowText(Window()), dlg->GetWindowText());
    // A group box is a button: its ampersand would mark a mnemonic unless doubled.
    EXPECT_EQ(WindowText(Control(IDC_SUPPORT_GROUP)), "Ostrale Support && Contact Information: ");
    EXPECT_FALSE(StyleOf(Control(IDC_DETAILED_INSTRUCTIONS)) & WS_VISIBLE);
    EXPECT_EQ(GetFocus(), Control(IDCANCEL));   // the first tab stop, "Done"

    dlg->SetDlgItemText(IDC_PROGRESS, "Sending hex file page  1  of  2");
    dlg->ShowDlgItem(IDC_DETAILED_INSTRUCTIONS, true);
    dlg->CheckRadioButton(IDC_COM1, IDC_COM22, IDC_COM3);
    EXPECT_EQ(WindowText(Control(IDC_PROGRESS)), "Sending hex file page  1  of  2");
    EXPECT_TRUE(StyleOf(Control(IDC_DETAILED_INSTRUCTIONS)) & WS_VISIBLE);
    EXPECT_FALSE(Checked(IDC_COM1));
    EXPECT_TRUE(Checked(IDC_COM3));
}

TEST_F(Win32MainWindowTest, ColourRuleGivesDarkRedBoldOnTheDefaultBrush)
{
    Open();
    const HBRUSH face = GetSysColorBrush(COLOR_3DFACE);
    const HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(Window(), WM_GETFONT, 0, 0));
    struct Case {
        int id;
        int waiting;
        bool red;
    };
    // The result line's look comes and goes with the waiting flag: the font
    // handed to the control goes back to the dialog's.
    for (const Case& c : {Case{IDC_PRODUCT_LINE, 0, true}, Case{IDC_RESULT, 1, true}, Case{IDC_RESULT, 0, false}}) {
        dlg->m_waitingForBootLoader = c.waiting;
        const HDC dc = CreateCompatibleDC(nullptr);
        const LRESULT brush = SendMessageA(Window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(Control(c.id)));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(face)) << c.id;
        const HFONT own = reinterpret_cast<HFONT>(SendMessageA(Control(c.id), WM_GETFONT, 0, 0));
        if (c.red) {
            EXPECT_EQ(GetTextColor(dc), RGB(192, 0, 0)) << c.id;
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << c.id;
            for (const LOGFONTA& lf : {FontOf(GetCurrentObject(dc, OBJ_FONT)), FontOf(own)}) {
                EXPECT_STREQ(lf.lfFaceName, "Microsoft Sans Serif") << c.id;
                EXPECT_EQ(lf.lfWeight, FW_BOLD) << c.id;
                EXPECT_EQ(lf.lfHeight, -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72)) << c.id;
            }
        } else {
            EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT)) << c.id;
            EXPECT_EQ(own, dialogFont) << c.id;   // back to the dialog's own look
        }
        DeleteDC(dc);
    }
}

// What the dialog appends to its system menu, and its greying, reach the
// window's own menu; a greyed command chosen anyway (a stale menu) does
// nothing (Close: below, with "Done" disabled).
TEST_F(Win32MainWindowTest, SystemMenuCarriesTheAboutItemAndFollowsTheDialogsGreying)
{
    Open();
    const HMENU menu = GetSystemMenu(Window(), FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 3);
    EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), IDM_ABOUTBOX);

    int opened = 0;
    ui.onModalStart = [&](CDialog& box) {
        ++opened;
        SendMessageA(ui.ControlOf(box, IDOK), BM_CLICK, 0, 0);
    };
    for (UINT item : {UINT(IDM_ABOUTBOX), UINT(SC_CLOSE)}) {
        dlg->GetSystemMenu()->EnableMenuItem(item, MF_BYCOMMAND | MF_GRAYED);
        EXPECT_TRUE(GetMenuState(menu, item, MF_BYCOMMAND) & MF_GRAYED) << item;
    }
    SendMessageA(Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(opened, 0);
    dlg->GetSystemMenu()->EnableMenuItem(IDM_ABOUTBOX, MF_BYCOMMAND | MF_ENABLED);
    SendMessageA(Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(opened, 1);
}

TEST_F(Win32MainWindowTest, RadioClicksKeepTheDialogAndTheButtonsInStep)
{
    Open();
    Click(IDC_COM3);
    EXPECT_EQ(dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22), IDC_COM3);
    EXPECT_TRUE(Checked(IDC_COM3));
    EXPECT_FALSE(Checked(IDC_COM1));
    // A click the dialog refuses (a button it has disabled, the click
    // already on its way): the button had checked itself, and must not stay so.
    SendMessageA(Control(IDC_COM1 + 1), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDC_COM1 + 1, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(IDC_COM1 + 1)));
    EXPECT_EQ(dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22), IDC_COM3);
    EXPECT_FALSE(Checked(IDC_COM1 + 1));
    EXPECT_TRUE(Checked(IDC_COM3));
}

// The one whole update through this window: what it adds is the wait
// cursor while the procedure holds the thread.
TEST_F(Win32MainWindowTest, BeginUpdateRunsAWholeUpdateUnderTheWaitCursor)
{
    Open();
    bool waitCursorShown = false;
    onBox = [&] {
        // The window under the mouse asks which cursor to show.
        SendMessageA(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        waitCursorShown = GetCursor() == LoadCursorA(nullptr, IDC_WAIT);
    };
    Click(IDC_COM3);
    Click(IDC_BEGIN_UPDATE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The Tollvane QX-R firmware has been successfully updated.     ");
    EXPECT_EQ(boxes[0].waitCursorDepth, 1);
    EXPECT_TRUE(waitCursorShown);
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
}

TEST_F(Win32MainWindowTest, EnterDoesNothingAndEscapeOrCloseEndOnlyWhileDoneIsEnabled)
{
    Open();
    // Keys go through the pump to the dialog manager, as the user types them.
    const auto press = [&](WPARAM key) {
        PostMessageA(Control(IDC_COM1), WM_KEYDOWN, key, 0);
        PumpPending(ui);
    };
    press(VK_RETURN);
    EXPECT_FALSE(dlg->HasEnded());
    dlg->EnableDlgItem(IDCANCEL, false);
    press(VK_ESCAPE);
    SendMessageA(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(dlg->HasEnded());
    dlg->EnableDlgItem(IDCANCEL, true);
    press(VK_ESCAPE);
    EXPECT_TRUE(dlg->HasEnded());
    EXPECT_EQ(dlg->Result(), IDCANCEL);
}

TEST_F(Win32MainWindowTest, WindowSitsCentredWithAQuarterOfTheFreeHeightAbove)
{
    Open();
    RECT r;
    GetWindowRect(Window(), &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 4);
}

} // namespace
} // namespace tvqx
