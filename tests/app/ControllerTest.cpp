// The controller around an update: port handover with the serial test
// program, the variants this build does not run. (Variant 10's window
// locking: PageUpdateTest.)

#include "UpdateFixture.h"

namespace tvqx::testing {
namespace {

using Controller = UpdateFixture;

TEST_F(Controller, BorrowsThePortFromTheSerialTestProgram)
{
    const WindowHandle linewatch = windows.Add("ostrale linewatch - COM3");
    const WindowHandle other = windows.Add("Linewatch");
    const WindowHandle hidden = windows.Add("Ostrale Serial Test Program", false);
    const WindowHandle tester = windows.Add("Ostrale Serial Test Program v2");
    WriteFirmwareHex(256);
    OpenOnDevicePort();
    Press();

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
    EXPECT_EQ(unit.PowerEvents().front().timeMs - clickMs, 1000u);
    EXPECT_EQ(dlg->m_borrowedPort, -1);
}

TEST_F(Controller, OtherVariantsAreNotRunByThisBuild)
{
    WriteFirmwareHex(256);
    for (int variant : {0, 7, 8, 9, 11}) {
        services.updateVariant = variant;
        Open();
        Press();
        EXPECT_TRUE(Boxes().empty()) << variant;
        EXPECT_TRUE(unit.PowerEvents().empty()) << variant;
        ui.Destroy(*dlg);
    }
}

} // namespace
} // namespace tvqx::testing
