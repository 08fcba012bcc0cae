// The main window from the keyboard alone: Tab reaches the port group through
// its checked button, whichever ports exist, and the arrow keys move the
// choice among the ports that can be chosen.

#include "UpdateFixture.h"

namespace tvqx::testing {
namespace {

// Tab pressed until the focus comes round again: the ids it stops at, from
// the one after where the focus is.
std::vector<int> TabRound(CDialog& dialog)
{
    std::vector<int> stops;
    for (int i = 0; i < 40; ++i) {
        dialog.SendMessage(WM_NEXTDLGCTL, 0, FALSE);
        if (!stops.empty() && dialog.GetFocusId() == stops.front())
            break;
        stops.push_back(dialog.GetFocusId());
    }
    return stops;
}

struct GroupCase {
    const char* name;
    std::vector<const char*> ports;
    int saved;                      // -1: nothing saved
    int tabStop;                    // the port button Tab reaches; 0: none
    std::vector<int> rightArrows;   // the port chosen after each press of Right
    std::vector<int> leftArrows;    // then after each press of Left
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

const GroupCase kGroups[] = {
    {"FirstPortAbsent", {"COM3", "COM5", "COM9"}, -1, 3, {5, 9, 3}, {9, 5}},
    {"SavedPortInTheMiddle", {"COM1", "COM4", "COM12"}, 4, 4, {12, 1}, {12, 4}},
    {"SinglePort", {"COM7"}, -1, 7, {7}, {7}},
    {"NoPorts", {}, -1, 0, {}, {}},
};

class PortGroupKeyboard : public UpdateFixture, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(PortGroupKeyboard, TabReachesTheCheckedPortAndArrowsMoveAmongPresentOnes)
{
    const GroupCase& c = GetParam();
    ListPorts(c.ports);
    if (c.saved != -1)
        profile.WriteProfileInt("Settings", "ComPort", c.saved);
    OpenWithFirmware();

    std::vector<int> expectedRound = {IDC_CONTACT_INFO, IDC_REFRESH_PORTS, IDC_BEGIN_UPDATE, IDCANCEL};
    if (c.tabStop != 0)
        expectedRound.insert(expectedRound.begin(), 2000 + c.tabStop);
    dlg->GotoDlgCtrl(IDCANCEL);
    EXPECT_EQ(TabRound(*dlg), expectedRound);
    if (c.tabStop == 0)
        return;

    dlg->GotoDlgCtrl(2000 + c.tabStop);
    auto press = [&](bool left, int expected) {
        dlg->UserArrowKey(left);
        EXPECT_EQ(dlg->GetFocusId(), 2000 + expected) << (left ? "left" : "right");
        EXPECT_EQ(dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22), 2000 + expected);
    };
    for (int port : c.rightArrows)
        press(false, port);
    for (int port : c.leftArrows)
        press(true, port);
    // The group's tab stop has followed the choice.
    dlg->GotoDlgCtrl(IDCANCEL);
    const std::vector<int> round = TabRound(*dlg);
    ASSERT_EQ(round.size(), expectedRound.size());
    EXPECT_EQ(round.front(), dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22));
}

INSTANTIATE_TEST_SUITE_P(Ports, PortGroupKeyboard, ::testing::ValuesIn(kGroups),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RadioGroupTabStop, FallsBackToTheFirstButtonThatCanBeChosen)
{
    // A group the template gives a tab stop: nothing checked, or the checked
    // button disabled, leaves the first enabled button as the stop; a group
    // without one in its template never has one.
    VirtualTickClock clock(0);
    HeadlessBackend ui(clock);
    DialogTemplate t;
    using K = ControlKind;
    t.controls = {
        {11, K::AutoRadioButton, "A", 0, 0, 10, 10, CS_GROUP | CS_TABSTOP},
        {12, K::AutoRadioButton, "B", 0, 0, 10, 10, 0},
        {13, K::AutoRadioButton, "C", 0, 0, 10, 10, 0},
        {21, K::AutoRadioButton, "X", 0, 0, 10, 10, CS_GROUP},
        {22, K::AutoRadioButton, "Y", 0, 0, 10, 10, 0},
    };
    CDialog dialog(t, ui);
    ui.Create(dialog);
    auto stops = [&] {
        std::vector<int> ids;
        for (int i = 0; i < 5; ++i)
            if (dialog.IsTabStop(i))
                ids.push_back(t.controls[static_cast<size_t>(i)].id);
        return ids;
    };
    dialog.CheckDlgButton(22, true);
    EXPECT_EQ(stops(), std::vector<int>{11});
    dialog.EnableDlgItem(11, false);
    EXPECT_EQ(stops(), std::vector<int>{12});
    dialog.CheckDlgButton(13, true);
    EXPECT_EQ(stops(), std::vector<int>{13});
    dialog.EnableDlgItem(13, false);
    EXPECT_EQ(stops(), std::vector<int>{12});
    dialog.ShowDlgItem(12, false);
    EXPECT_TRUE(stops().empty());
    ui.Destroy(dialog);
}

} // namespace
} // namespace tvqx::testing
