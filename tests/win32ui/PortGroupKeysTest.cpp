// The port group through the dialog manager's own keyboard handling: with
// COM1 absent, Tab still reaches the group at its checked button, and the
// arrow keys move the choice among the ports that exist. Which button is the
// group's tab stop is the dialog's rule (tests/app); the window keeps
// WS_TABSTOP on it whatever the buttons do to their own style.

#include "Win32Fixture.h"

#include "ui/win32/Win32Api.h"

namespace tvqx {
namespace {

class Win32PortKeysTest : public Win32MainWindowTest {
protected:
    Win32PortKeysTest()
    {
        inventory.Set(std::vector<PortEntry>{{"COM3", ""}, {"COM5", ""}, {"COM9", ""}});
    }

    // A key as the user types it: through the thread's queue to the control
    // with the focus, where the dialog manager takes it.
    void Press(UINT key)
    {
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageA(GetFocus(), WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
        PumpPending(ui);
    }
};

TEST_F(Win32PortKeysTest, TabAndArrowsReachEveryPresentPort)
{
    Open();
    ASSERT_EQ(GetFocus(), Control(IDCANCEL));

    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(IDC_COM3));
    EXPECT_EQ(dlg->GetFocusId(), IDC_COM3);

    struct Step {
        UINT key;
        int port;
    };
    for (const Step& s : {Step{VK_RIGHT, 5}, Step{VK_DOWN, 9}, Step{VK_RIGHT, 3}, Step{VK_LEFT, 9},
                          Step{VK_UP, 5}}) {
        Press(s.key);
        EXPECT_EQ(GetFocus(), Control(2000 + s.port)) << s.port;
        EXPECT_EQ(dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22), 2000 + s.port);
        EXPECT_TRUE(Checked(2000 + s.port));
    }
    // On from the group past the other ports, and back to it from "Done" at
    // the port now chosen: the one tab stop has moved with the choice.
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(IDC_CONTACT_INFO));
    dlg->GotoDlgCtrl(IDCANCEL);
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(IDC_COM1 + 4));
}

} // namespace
} // namespace tvqx
