// The dialog layer on its headless backend: message order, timers on virtual
// time, radio groups, modal loops.

#include "app/WindowPlacement.h"
#include "ui/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

namespace tvqx {
namespace {

DialogTemplate SmallTemplate()
{
    DialogTemplate t;
    t.cx = 100;
    t.cy = 50;
    t.style = DS_SYSMENU | DS_CAPTION;
    using K = ControlKind;
    t.controls = {
        {IDCANCEL, K::PushButton, "Done", 0, 0, 10, 10, CS_TABSTOP},
        {11, K::AutoRadioButton, "A", 0, 0, 10, 10, CS_GROUP | CS_TABSTOP},
        {12, K::AutoRadioButton, "B", 0, 0, 10, 10, 0},
        {13, K::AutoRadioButton, "C", 0, 0, 10, 10, CS_GROUP},
        {14, K::PushButton, "Go", 0, 0, 10, 10, CS_DISABLED},
    };
    return t;
}

class Recorder : public CDialog {
public:
    explicit Recorder(UiBackend& ui) : CDialog(SmallTemplate(), ui)
    {
        OnMessage(WM_TIMER, [this](WPARAM id, LPARAM) {
            log.push_back("timer" + std::to_string(id));
            return LRESULT(0);
        });
        OnMessage(WM_USER, [this](WPARAM w, LPARAM) {
            log.push_back("user" + std::to_string(w));
            return LRESULT(0);
        });
        OnCommand(14, [this] { log.push_back("go"); });
    }
    std::vector<std::string> log;
};

class HeadlessBackendTest : public ::testing::Test {
protected:
    void SetUp() override { ui.Create(dlg); }
    void TearDown() override
    {
        if (dlg.IsCreated())
            ui.Destroy(dlg);
    }

    VirtualTickClock clock{0};
    HeadlessBackend ui{clock};
    Recorder dlg{ui};
};

TEST_F(HeadlessBackendTest, PostedMessagesComeBeforeTimersAndTimersKeepTheirPeriod)
{
    dlg.SetTimer(10, 500);
    clock.Advance(600);
    dlg.PostMessage(WM_USER, 1);
    dlg.PostMessage(WM_USER, 2);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(ui.PumpMessage());
    // The timer came due at 500 but waits behind posted messages; the next
    // retrieval waits (on virtual time) for the next period.
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"user1", "user2", "timer10", "timer10"}));
    EXPECT_EQ(clock.Now(), 1100u);
    dlg.KillTimer(10);
    EXPECT_FALSE(ui.PumpMessage());
}

TEST_F(HeadlessBackendTest, RadioClicksStayInTheirGroupAndDisabledControlsIgnoreClicks)
{
    ui.Click(dlg, 13);
    ui.Click(dlg, 11);
    ui.Click(dlg, 12);
    EXPECT_FALSE(dlg.IsDlgButtonChecked(11));
    EXPECT_TRUE(dlg.IsDlgButtonChecked(12));
    EXPECT_TRUE(dlg.IsDlgButtonChecked(13));   // another group
    ui.Click(dlg, 14);
    EXPECT_TRUE(dlg.log.empty());
    dlg.EnableDlgItem(14, true);
    ui.Click(dlg, 14);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"go"}));
}

TEST_F(HeadlessBackendTest, ModalLoopEndsWithEndDialogOrWhenNothingCanHappen)
{
    Recorder modal(ui);
    clock.At(2000, [&] { modal.EndDialog(42); });
    ui.onModalStart = [&](CDialog& d) { d.SetTimer(1, 700); };
    EXPECT_EQ(modal.DoModal(), 42);
    EXPECT_EQ(modal.log, (std::vector<std::string>{"timer1", "timer1"}));

    ui.onModalStart = nullptr;
    Recorder idle(ui);
    EXPECT_EQ(idle.DoModal(), IDCANCEL);   // no timer, nothing scheduled
}

TEST_F(HeadlessBackendTest, CloseCommandIsRefusedWhileCancelIsDisabled)
{
    dlg.EnableDlgItem(IDCANCEL, false);
    ui.ChooseSystemMenu(dlg, SC_CLOSE);
    EXPECT_FALSE(dlg.HasEnded());
    dlg.EnableDlgItem(IDCANCEL, true);
    ui.ChooseSystemMenu(dlg, SC_CLOSE);
    EXPECT_TRUE(dlg.HasEnded());
}

struct PlacementCase {
    Size screen;
    int x, y;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, CentredWithAQuarterOfTheFreeHeightAboveTruncatingTowardZero)
{
    const PlacementCase& c = GetParam();
    VirtualTickClock clock(0);
    HeadlessBackend ui(clock);
    ui.SetScreenSize(c.screen);
    DialogTemplate t;
    t.cx = 649;   // 980 x 700 pixels on the headless screen
    t.cy = 413;
    CDialog dialog(t, ui);
    ui.Create(dialog);
    PlaceInUpperQuarter(dialog);
    const Rect r = dialog.GetWindowRect();
    ASSERT_EQ(r.Width(), 980);
    ASSERT_EQ(r.Height(), 700);
    EXPECT_EQ(r.left, c.x);
    EXPECT_EQ(r.top, c.y);
    ui.Destroy(dialog);
}

INSTANTIATE_TEST_SUITE_P(Screens, Placement,
                         ::testing::Values(PlacementCase{{1024, 768}, 22, 17}, PlacementCase{{980, 700}, 0, 0},
                                           // A window larger than the screen sticks out on every side.
                                           PlacementCase{{801, 601}, -89, -24}),
                         [](const auto& info) {
                             return std::to_string(info.param.screen.cx) + "x" +
                                    std::to_string(info.param.screen.cy);
                         });

} // namespace
} // namespace tvqx
