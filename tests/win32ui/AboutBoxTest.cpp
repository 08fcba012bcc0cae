// The About box on the Win32 backend: the contact lines in a rich edit 2.0
// control whose own URL detection finds the links, and mouse messages on the
// control coming back as EN_LINK that open the mail program and the browser.

#include "Win32Fixture.h"

#include "app/AboutDlg.h"
#include "app/ProductInfo.h"

#include <algorithm>

#include "ui/win32/Win32Api.h"

namespace tvqx {
namespace {

class Win32AboutBoxTest : public ::testing::Test {
protected:
    Win32AboutBoxTest()
    {
        ui.SetApplicationIcon(IDR_MAINFRAME);
        EXPECT_TRUE(ui.Create(about));
    }
    ~Win32AboutBoxTest() override { ui.Destroy(about); }

    HWND Contact() const { return ui.ControlOf(about, IDC_ABOUT_CONTACT); }

    // Sends the mouse message to the contact control over character `at`.
    void MouseAt(UINT message, long at)
    {
        POINTL p{};
        SendMessageA(Contact(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), at);
        SendMessageA(Contact(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                     MAKELPARAM(p.x + 2, p.y + 3));
    }

    Win32Backend ui;
    RecordingShellOpen shell;
    CAboutDlg about{ui, shell};
};

TEST_F(Win32AboutBoxTest, ShowsTheContactLinesInARichEditControlAndTheIcon)
{
    char className[32] = {};
    GetClassNameA(Contact(), className, sizeof className);
    EXPECT_STREQ(className, "RichEdit20A");
    EXPECT_FALSE(StyleOf(Contact()) & (WS_BORDER | WS_TABSTOP));
    EXPECT_TRUE(StyleOf(Contact()) & ES_READONLY);
    // The control keeps each line break as one character, so the dialog's
    // character positions are the control's.
    std::string shown = WindowText(Contact());
    shown.erase(std::remove(shown.begin(), shown.end(), '\n'), shown.end());
    std::string expected = CAboutDlg::ContactText();
    std::replace(expected.begin(), expected.end(), '\n', '\r');
    EXPECT_EQ(shown, expected);
    GETTEXTLENGTHEX count{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    EXPECT_EQ(SendMessageA(Contact(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&count), 0),
              static_cast<LRESULT>(expected.size()));
    // The label column keeps each label on its own line, however narrow.
    EXPECT_EQ(StyleOf(ui.ControlOf(about, IDC_ABOUT_LABELS)) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
    // The application icon in the icon control.
    const HWND icon = ui.DialogWindowOf(about)->ControlAt(0);
    EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);
}

TEST_F(Win32AboutBoxTest, ALeftClickOnALinkOpensItAndTheFocusStaysOnOk)
{
    const std::string text = CAboutDlg::ContactText();
    struct Case {
        const char* starts;
        std::string target;
    };
    const Case cases[] = {
        {"mailto:", std::string("mailto:") + product::kSupportEmail + "?Subject=Firmware Update"},
        {"www.", std::string("http://") + product::kWebSite},
    };
    for (const Case& c : cases) {
        shell.opened.clear();
        const long inside = static_cast<long>(text.find(c.starts)) + 3;
        // The control tells of the press and of the release: one opening.
        MouseAt(WM_LBUTTONDOWN, inside);
        MouseAt(WM_LBUTTONUP, inside);
        EXPECT_EQ(shell.opened, std::vector<std::string>{c.target}) << c.starts;
        EXPECT_EQ(GetFocus(), ui.ControlOf(about, IDOK)) << c.starts;
    }
}

} // namespace
} // namespace tvqx
