// The main window as the Windows dialog manager makes it from the template,
// kept in step with the dialog, and driven through real window messages.

#include "Win32Fixture.h"

#include "ui/win32/Win32Api.h"

namespace tvqx {
namespace {

TEST_F(Win32MainWindowTest, EveryControlIsMadeFromTheTemplateAtItsDialogUnitRectangle)
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
}

TEST_F(Win32MainWindowTest, ControlsShowTheDialogsStateAndFollowItsChanges)
{
    Open();
    EXPECT_EQ(WindowText(Window()), "Tollvane QX-R Firmware Update");
    EXPECT_EQ(TextOf(IDC_PRODUCT_LINE), dlg->GetDlgItemText(IDC_PRODUCT_LINE));
    EXPECT_EQ(TextOf(IDC_INSTRUCTIONS), dlg->GetDlgItemText(IDC_INSTRUCTIONS));
    // A group box is a button: its ampersand would mark a mnemonic unless doubled.
    EXPECT_EQ(TextOf(IDC_SUPPORT_GROUP), "Ostrale Support && Contact Information: ");
    EXPECT_FALSE(StyleOf(Control(IDC_DETAILED_INSTRUCTIONS)) & WS_VISIBLE);
    for (int n = 1; n <= 22; ++n)
        EXPECT_EQ(IsWindowEnabled(Control(IDC_COM1 + n - 1)) != FALSE, n == 1 || n == 3) << "COM" << n;
    EXPECT_TRUE(Checked(IDC_COM1));
    EXPECT_EQ(GetFocus(), Control(IDCANCEL));   // the first tab stop, "Done"

    dlg->SetDlgItemText(IDC_PROGRESS, "Sending hex file page  1  of  2");
    dlg->EnableDlgItem(IDC_BEGIN_UPDATE, false);
    dlg->ShowDlgItem(IDC_DETAILED_INSTRUCTIONS, true);
    dlg->CheckRadioButton(IDC_COM1, IDC_COM22, IDC_COM3);
    EXPECT_EQ(TextOf(IDC_PROGRESS), "Sending hex file page  1  of  2");
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_BEGIN_UPDATE)));
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
    for (const Case& c : {Case{IDC_PRODUCT_LINE, 0, true}, Case{IDC_RESULT, 0, false}, Case{IDC_RESULT, 1, true},
                          Case{IDC_PROGRESS, 1, false}, Case{IDC_RESULT, 0, false}, Case{IDC_PRODUCT_LINE, 1, true}}) {
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

TEST_F(Win32MainWindowTest, SystemMenuCarriesTheAboutItemAndFollowsTheDialogsGreying)
{
    Open();
    const HMENU menu = GetSystemMenu(Window(), FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 3);
    EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), IDM_ABOUTBOX);
    char text[64] = {};
    GetMenuStringA(menu, static_cast<UINT>(count - 1), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "About Tollvane QX-R Update...");

    std::vector<std::string> opened;
    ui.onModalStart = [&](CDialog& box) {
        opened.push_back(WindowText(ui.WindowOf(box)));
        EXPECT_FALSE(IsWindowEnabled(Window()));   // the owner waits while the box is up
        SendMessageA(ui.ControlOf(box, IDOK), BM_CLICK, 0, 0);
    };
    for (UINT item : {UINT(IDM_ABOUTBOX), UINT(SC_CLOSE)}) {
        dlg->GetSystemMenu()->EnableMenuItem(item, MF_BYCOMMAND | MF_GRAYED);
        EXPECT_TRUE(GetMenuState(menu, item, MF_BYCOMMAND) & MF_GRAYED) << item;
        SendMessageA(Window(), WM_SYSCOMMAND, item, 0);   // a stale menu: greyed does nothing
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(dlg->HasEnded());

    dlg->GetSystemMenu()->EnableMenuItem(IDM_ABOUTBOX, MF_BYCOMMAND | MF_ENABLED);
    EXPECT_FALSE(GetMenuState(menu, IDM_ABOUTBOX, MF_BYCOMMAND) & MF_GRAYED);
    SendMessageA(Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(opened, std::vector<std::string>{"About Tollvane QX-R Update"});
    EXPECT_TRUE(IsWindowEnabled(Window()));
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

TEST_F(Win32MainWindowTest, BeginUpdateRunsAWholeUpdateToItsSuccessBox)
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
    EXPECT_EQ(boxes[0].type, UINT(MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].waitCursorDepth, 1);
    EXPECT_TRUE(waitCursorShown);
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
    EXPECT_EQ(TextOf(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_CONTACT_INFO, IDC_COM1, IDC_COM3})
        EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
}

TEST_F(Win32MainWindowTest, EnterDoesNothingAndEscapeOrCloseEndOnlyWhileDoneIsEnabled)
{
    Open();
    // Keys go through the pump to the dialog manager, as the user types them.
    PostMessageA(Control(IDC_COM1), WM_KEYDOWN, VK_RETURN, 0);
    PumpPending(ui);
    EXPECT_FALSE(dlg->HasEnded());

    dlg->EnableDlgItem(IDCANCEL, false);
    PostMessageA(Control(IDC_COM1), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpPending(ui);
    SendMessageA(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(dlg->HasEnded());

    dlg->EnableDlgItem(IDCANCEL, true);
    PostMessageA(Control(IDC_COM1), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpPending(ui);
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
    EXPECT_EQ(dlg->GetWindowRect().Width(), w);   // the dialog's idea of its size is the window's
}

} // namespace
} // namespace tvqx
