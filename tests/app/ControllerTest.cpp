// The controller around an update: window locking, port handover with the
// serial test program, the system menu and closing.

#include "UpdateFixture.h"

namespace tvqx::testing {
namespace {

using Controller = UpdateFixture;

TEST_F(Controller, LocksTheWindowWhileTheUpdateRuns)
{
    OpenWithFirmware(512);
    ui.Click(*dlg, IDC_COM3);
    bool checked = false;
    clock.At(kStartMs + 560, [&] {
        checked = true;
        EXPECT_FALSE(dlg->IsAtRest());
        EXPECT_EQ(ui.WaitCursorDepth(), 1);
        for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_CONTACT_INFO, IDC_COM1})
            EXPECT_FALSE(dlg->IsDlgItemEnabled(id)) << id;
        for (int id : {IDC_REFRESH_PORTS, IDC_COM3})
            EXPECT_TRUE(dlg->IsDlgItemEnabled(id)) << id;
        EXPECT_TRUE(dlg->GetSystemMenu()->IsEnabled(SC_CLOSE));
        EXPECT_TRUE(dlg->GetSystemMenu()->IsEnabled(IDM_ABOUTBOX));
        EXPECT_EQ(Status(IDC_PROGRESS), "Sending hex file page  2  of  4");
        // The window's Close command is refused while "Done" is disabled.
        ui.PostSystemMenu(*dlg, SC_CLOSE);
    });
    RunUpdate();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(dlg->HasEnded());
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
}

TEST_F(Controller, BorrowsThePortFromTheSerialTestProgram)
{
    const WindowHandle linewatch = windows.Add("ostrale linewatch - COM3");
    const WindowHandle other = windows.Add("Linewatch");
    const WindowHandle hidden = windows.Add("Ostrale Serial Test Program", false);
    const WindowHandle tester = windows.Add("Ostrale Serial Test Program v2");
    OpenWithFirmware();
    ui.Click(*dlg, IDC_COM3);
    RunUpdate();

    const std::vector<FakeWindowDirectory::Posted> expected = {
        {WM_PORT_HANDOVER, PORT_HANDOVER_RELEASE, 3}, {WM_PORT_HANDOVER, PORT_HANDOVER_RETURN, 3}};
    for (WindowHandle w : {linewatch, tester}) {
        const auto& got = windows.Get(w).received;
        ASSERT_EQ(got.size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(got[i].message, expected[i].message);
            EXPECT_EQ(got[i].wParam, expected[i].wParam);
            EXPECT_EQ(got[i].lParam, expected[i].lParam);
        }
    }
    EXPECT_TRUE(windows.Get(other).received.empty());
    EXPECT_TRUE(windows.Get(hidden).received.empty());
    // One pause of a second before the port is opened.
    EXPECT_EQ(device->PowerEvents().front().timeMs - clickMs, 1000u);
    EXPECT_EQ(dlg->m_borrowedPort, -1);
}

TEST_F(Controller, NoTestProgramNoPause)
{
    OpenWithFirmware();
    ui.Click(*dlg, IDC_COM3);
    RunUpdate();
    EXPECT_EQ(device->PowerEvents().front().timeMs - clickMs, 0u);
}

TEST_F(Controller, OtherVariantsAreNotRunByThisBuild)
{
    WriteFirmware(FirmwareBytes(256));
    for (int variant : {0, 7, 8, 9, 11}) {
        services.updateVariant = variant;
        Open();
        RunUpdate();
        EXPECT_TRUE(Boxes().empty()) << variant;
        EXPECT_TRUE(device->PowerEvents().empty()) << variant;
        ui.Destroy(*dlg);
    }
}

TEST_F(Controller, AboutBoxFromMenuAndContactButton)
{
    OpenWithFirmware();
    std::vector<std::string> captions;
    ui.onModalStart = [&](CDialog& box) {
        captions.push_back(box.GetWindowText());
        box.EndDialog(IDOK);
    };
    ui.ChooseSystemMenu(*dlg, IDM_ABOUTBOX);
    ui.Click(*dlg, IDC_CONTACT_INFO);
    EXPECT_EQ(captions, (std::vector<std::string>{"About Tollvane QX-R Update", "About Tollvane QX-R Update"}));
}

TEST_F(Controller, DoneClosesThePortAndStopsTheTimer)
{
    OpenWithFirmware();
    ui.Click(*dlg, IDCANCEL);
    ASSERT_TRUE(dlg->HasEnded());
    ui.Destroy(*dlg);
    EXPECT_FALSE(ports.IsOpen(kDevicePort));
    EXPECT_FALSE(ui.PumpMessage());   // no timer left to wake anybody
}

} // namespace
} // namespace tvqx::testing
