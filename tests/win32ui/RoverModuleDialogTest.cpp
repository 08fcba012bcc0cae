// The rover module dialog as the Windows dialog manager makes it: only what
// this backend adds to the dialog proven headless. The remote unit is the
// simulated one behind the simulated gateway.

#include "Win32Fixture.h"

#include "app/ProductInfo.h"
#include "app/RoverModuleDlg.h"
#include "serial/CRS232.h"
#include "sim/VariantDevices.h"

#include "ui/win32/Win32Api.h"

namespace tvqx {
namespace {

constexpr int kGatewayPort = 5;
constexpr uint64_t kSetupAfterListenMs = 500;

class Win32RoverDialogTest : public Win32MainWindowTest {
protected:
    Win32RoverDialogTest()
    {
        sim::VariantDeviceFaults faults;
        faults.radio.setupAfterListenMs = kSetupAfterListenMs;
        unit = sim::MakeDeviceForVariant(6, faults);
        ports.Attach(kGatewayPort, unit.Line());
        port.Open(kGatewayPort, 38400, 'N', 8, 1);
        rover.m_pPort = &port;
    }
    ~Win32RoverDialogTest() override
    {
        if (ui.WindowOf(rover))
            ui.Destroy(rover);
    }

    HWND Field(int id) const { return ui.ControlOf(rover, id); }
    void Tick() { rover.SendMessage(WM_TIMER, kRoverSetupTimerId); }
    void ReceiveParameters()
    {
        clock.Advance(kSetupAfterListenMs + 50);
        Tick();
    }

    sim::VariantDevice unit;
    CRS232 port{ports, clock};
    CRover_Module_ID_Dlg rover{ui, clock};
};

// Counts the fonts a control is handed, passing every message on.
struct FontWatch {
    static inline WNDPROC original = nullptr;
    static inline int fontsHanded = 0;
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_SETFONT)
            ++fontsHanded;
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
};

TEST_F(Win32RoverDialogTest, FieldsAreReadOnlySunkenEditsShowingTheReceivedLine)
{
    ASSERT_TRUE(ui.Create(rover));
    ExpectControlsMadeFromTemplate(ui, rover);
    // The prompt's '&' is shown, not taken as a mnemonic (its look is the
    // colour rule's, proven on the main window).
    EXPECT_TRUE(StyleOf(Field(IDC_SETUP_PROMPT)) & SS_NOPREFIX);
    ReceiveParameters();
    ASSERT_TRUE(IsWindowEnabled(Field(IDC_START_UPDATE)));

    const LRESULT face = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
    for (int id : {IDC_ROVER_MODULE_ID, IDC_NETWORK_SN, IDC_PAN_ID, IDC_RF_CHANNEL}) {
        const HWND edit = Field(id);
        const auto style = static_cast<DWORD>(StyleOf(edit));
        EXPECT_EQ(style & (ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP), DWORD(ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP))
            << id;
        EXPECT_FALSE(style & (ES_MULTILINE | WS_BORDER)) << id;   // the sunken edge is the only frame
        EXPECT_TRUE(GetWindowLongPtrA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << id;
        // A read-only edit asks for a static's colours while it paints: the
        // dialog's face, and no font handed to it then (an edit starts over
        // on one, and the text it was drawing is lost).
        FontWatch::original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FontWatch::Procedure)));
        FontWatch::fontsHanded = 0;
        const HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_EQ(SendMessageA(ui.WindowOf(rover), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(edit)),
                  face)
            << id;
        DeleteDC(dc);
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FontWatch::original));
        EXPECT_EQ(FontWatch::fontsHanded, 0) << id;

        // Typed characters are refused by the control itself, and Enter does
        // not take the parameters even with Start Update enabled.
        const std::string shown = WindowText(edit);
        EXPECT_FALSE(shown.empty()) << id;
        SendMessageA(edit, WM_CHAR, 'x', 0);
        EXPECT_EQ(WindowText(edit), shown) << id;
        SetFocus(edit);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        PumpPending(ui);
        EXPECT_FALSE(rover.HasEnded()) << id;
    }
}

// Over the main window, which waits: only the dialog's own timer, through
// the modal loop, shows the prompt and reads the unit's line; Escape reaches
// the dialog through the loop.
TEST_F(Win32RoverDialogTest, ModalOverTheMainWindowItsTimerReadsTheLineAndEscapeCancels)
{
    Open();
    ui.onModalStart = [&](CDialog&) {
        EXPECT_EQ(GetWindow(ui.WindowOf(rover), GW_OWNER), Window());
        EXPECT_FALSE(IsWindowEnabled(Window()));
        EXPECT_TRUE(PumpUntil(ui, [&] { return !WindowText(Field(IDC_SETUP_PROMPT)).empty(); }));
        clock.Advance(kSetupAfterListenMs + 50);
        EXPECT_TRUE(PumpUntil(ui, [&] { return IsWindowEnabled(Field(IDC_START_UPDATE)) != FALSE; }));
        PostMessageA(Field(IDC_NETWORK_SN), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    EXPECT_EQ(rover.DoModal(), IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(Window()));
    EXPECT_EQ(ui.WindowOf(rover), nullptr);
}

} // namespace
} // namespace tvqx
