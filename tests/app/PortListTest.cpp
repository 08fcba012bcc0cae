// Which port buttons can be chosen and which one is preselected.

#include "UpdateFixture.h"

namespace tvqx::testing {
namespace {

struct PortListCase {
    const char* name;
    std::vector<const char*> devices;   // names the system lists
    int saved;                          // -1: nothing saved
    int expectedChecked;                // 0: none
    std::vector<int> expectedEnabled;   // port numbers
    const char* note = "";              // the line under the port group
};

void PrintTo(const PortListCase& c, std::ostream* os) { *os << c.name; }

// Names are matched as the platform's ComPortNumber does (PlatformTest); with
// no port at all, "Begin Update" still works (UpdateFailureTest's
// NoPortChecked).
const PortListCase kPortLists[] = {
    {"SavedPortPresent", {"COM1", "COM4"}, 4, 4, {1, 4}},
    {"SavedPortAbsent", {"COM1", "COM4"}, 7, 1, {1, 4}},
    {"SavedLastPort", {"COM1", "COM22"}, 22, 22, {1, 22}},
    {"SavedOutOfRange", {"COM4", "COM2"}, 23, 2, {2, 4}},
    {"NothingSaved", {"COM3"}, -1, 3, {3}},
    {"NoPorts", {}, -1, 0, {}},
    // USB adapters numbered above COM22 are named, with how to renumber them;
    // anything that is not COMn stays unnamed.
    {"AdaptersAboveCom22", {"COM3", "COM25", "com31", "CNCA0", "COM022"}, -1, 3, {3},
     "COM25 and COM31 cannot be chosen (only COM1 to COM22): renumber them in Device Manager, the port's "
     "Properties, Port Settings, Advanced, COM Port Number."},
    {"OneAdapterAboveCom22", {"COM23"}, -1, 0, {},
     "COM23 cannot be chosen (only COM1 to COM22): renumber it in Device Manager, the port's Properties, Port "
     "Settings, Advanced, COM Port Number."},
};

class PortList : public UpdateFixture, public ::testing::WithParamInterface<PortListCase> {};

TEST_P(PortList, EnablesPresentPortsAndPreselects)
{
    const auto& c = GetParam();
    ListPorts(c.devices);
    if (c.saved != -1)
        profile.WriteProfileInt("Settings", "ComPort", c.saved);
    OpenWithFirmware();

    const int checked = dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22);
    EXPECT_EQ(checked == 0 ? 0 : checked - 2000, c.expectedChecked);
    for (int n = 1; n <= 22; ++n) {
        const bool expected =
            std::find(c.expectedEnabled.begin(), c.expectedEnabled.end(), n) != c.expectedEnabled.end();
        EXPECT_EQ(dlg->IsDlgItemEnabled(2000 + n), expected) << "COM" << n;
        EXPECT_EQ(dlg->m_portPresent[n - 1], expected ? 1 : 0);
    }
    EXPECT_EQ(dlg->GetDlgItemText(IDC_PORT_NOTE), c.note);
}

INSTANTIATE_TEST_SUITE_P(Ports, PortList, ::testing::ValuesIn(kPortLists),
                         [](const auto& info) { return std::string(info.param.name); });

// A press of "Refresh Serial Ports" after the system's port list changed: it
// may enable "Begin Update", but only for usable firmware files, and it never
// disables it; it puts the choice back on the saved port, whatever the user
// chose (COM1, where present) before.
struct RefreshCase {
    const char* name;
    bool firmwareUsable;
    std::vector<const char*> atStart;
    std::vector<const char*> atRefresh;
    int expectedChecked;   // 0: none
    bool beginEnabled;
    int saved = -1;
};

void PrintTo(const RefreshCase& c, std::ostream* os) { *os << c.name; }

const RefreshCase kRefreshes[] = {
    {"UnusableFilesPortsChanged", false, {"COM1", "COM3"}, {"COM5"}, 5, false},
    {"UnusableFilesFirstPortAppears", false, {}, {"COM2"}, 2, false},
    {"UsableFilesFirstPortAppears", true, {}, {"COM2"}, 2, true},
    {"UsableFilesLastPortGone", true, {"COM1"}, {}, 0, true},
    {"BackOnTheSavedPort", true, {"COM1", "COM3", "COM5"}, {"COM1", "COM3", "COM5"}, 5, true, 5},
};

class PortListRefresh : public UpdateFixture, public ::testing::WithParamInterface<RefreshCase> {};

TEST_P(PortListRefresh, EnablesBeginUpdateOnlyForUsableFiles)
{
    const RefreshCase& c = GetParam();
    ListPorts(c.atStart);
    if (c.saved != -1)
        profile.WriteProfileInt("Settings", "ComPort", c.saved);
    if (c.firmwareUsable)
        WriteFirmwareHex(256);
    Open();
    ui.ClearMessageBoxes();
    ui.Click(*dlg, IDC_COM1);
    ListPorts(c.atRefresh);
    ui.Click(*dlg, IDC_REFRESH_PORTS);

    const int checked = dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22);
    EXPECT_EQ(checked == 0 ? 0 : checked - 2000, c.expectedChecked);
    EXPECT_EQ(dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE), c.beginEnabled);
    EXPECT_TRUE(Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Ports, PortListRefresh, ::testing::ValuesIn(kRefreshes),
                         [](const auto& info) { return std::string(info.param.name); });

using PortRefresh = UpdateFixture;

TEST_F(PortRefresh, NoDeviceListShowsItsMessageEveryTime)
{
    inventory.Set(std::nullopt);
    OpenWithFirmware();
    ui.Click(*dlg, IDC_REFRESH_PORTS);
    ASSERT_EQ(Boxes().size(), 2u);
    for (const auto& box : Boxes()) {
        EXPECT_EQ(box.text, "There are no serial ports installed on this computer.     ");
        EXPECT_EQ(box.caption, "tvqx-update");
        EXPECT_EQ(box.type, MB_ICONEXCLAMATION);
    }
    EXPECT_EQ(dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22), 0);
    EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_COM1));
}

} // namespace
} // namespace tvqx::testing
