// The main window's smaller commands: "Detailed Instructions", the About box
// it shares with the system menu, and Done with a port still borrowed from
// the serial test program.

#include "UpdateFixture.h"

#include "app/ProductInfo.h"

#include <filesystem>

namespace tvqx::testing {
namespace {

// ---------------------------------------------------------------------------
// "Detailed Instructions": the document name is empty, so the program's
// directory itself goes to the shell.

// The box, if any: the document is missing, or no viewer could open it. The
// shell is asked unless the document is missing.
enum class Box { None, Missing, Viewer };

struct InstructionsCase {
    const char* name;
    bool gone;           // the program's directory no longer exists
    size_t pathLength;   // 0: the scratch program directory as it is
    bool shellOpens;
    Box box;
};

void PrintTo(const InstructionsCase& c, std::ostream* os) { *os << c.name; }

const InstructionsCase kInstructions[] = {
    {"DirectoryHandedToTheShell", false, 0, true, Box::None},
    {"ViewerCannotOpenIt", false, 0, false, Box::Viewer},
    {"DirectoryGone", true, 0, true, Box::Missing},
    {"PathOf259Characters", false, 259, true, Box::None},
    {"PathOf260Characters", false, 260, true, Box::Missing},
};

class DetailedInstructions : public UpdateFixture, public ::testing::WithParamInterface<InstructionsCase> {
protected:
    // A directory under the scratch directory whose path, final separator
    // included, is exactly `length` characters long; empty when the system
    // cannot make it.
    std::string DirectoryOfLength(size_t length)
    {
        std::string path = m_programDir;
        while (path.size() < length) {
            const size_t left = length - path.size();
            const size_t part = left > 101 ? 100 : left;   // never leaves a single character
            path += std::string(part - 1, 'd') + "/";
        }
        std::error_code ec;
        std::filesystem::create_directories(path, ec);
        return ec || !std::filesystem::is_directory(path) ? std::string() : path;
    }
};

TEST_P(DetailedInstructions, OpensTheDirectoryOrSaysWhyNot)
{
    const InstructionsCase& c = GetParam();
    OpenWithFirmware();
    std::string path = m_programDir;
    if (c.pathLength != 0) {
        path = DirectoryOfLength(c.pathLength);
        if (path.empty())
            GTEST_SKIP() << "no directory path of " << c.pathLength << " characters here";
        ASSERT_EQ(path.size(), c.pathLength);
    }
    if (c.gone)
        path += "gone/";
    dlg->m_programDir = path;
    shell.result = c.shellOpens;
    // The button is hidden as the product is configured; shown, it works.
    dlg->ShowDlgItem(IDC_DETAILED_INSTRUCTIONS, true);
    ui.Click(*dlg, IDC_DETAILED_INSTRUCTIONS);

    EXPECT_EQ(shell.opened, c.box != Box::Missing ? std::vector<std::string>{path} : std::vector<std::string>{});
    if (c.box == Box::None) {
        EXPECT_TRUE(Boxes().empty());
        return;
    }
    ExpectBox(c.box == Box::Missing ? "Cannot fine the detailed instructions document.     \n" + path + "     "
                                    : "Unable to load the Acrobat Reader.\n\nAcrobat Reader must be installed on your "
                                      "computer in order to view the detailed instructions.     ",
              "Detailed Instructions");
}

INSTANTIATE_TEST_SUITE_P(Instructions, DetailedInstructions, ::testing::ValuesIn(kInstructions),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The About box, from the button and from the system menu: its fixed texts,
// and placed as every dialog is (DialogLayerTest's Placement).

using AboutBox = UpdateFixture;

TEST_F(AboutBox, ShowsTheProductAndTheMakersContactLines)
{
    OpenWithFirmware();
    ui.SetScreenSize({1024, 768});
    std::vector<std::string> captions;
    std::vector<std::vector<std::pair<int, std::string>>> seen;
    ui.onModalStart = [&](CDialog& box) {
        captions.push_back(box.GetWindowText());
        seen.emplace_back();
        for (int id : {IDC_ABOUT_PRODUCT, IDC_ABOUT_VERSION, IDC_ABOUT_RELEASED, IDC_ABOUT_COPYRIGHT,
                       IDC_ABOUT_NOTE, IDC_ABOUT_LABELS, IDC_ABOUT_CONTACT})
            seen.back().emplace_back(id, box.GetDlgItemText(id));
        EXPECT_EQ(box.GetWindowRect(), (Rect{147, 90, 147 + 729, 90 + 408}));   // on a 1024 x 768 screen
        box.EndDialog(IDOK);
    };
    ui.Click(*dlg, IDC_CONTACT_INFO);
    ui.ChooseSystemMenu(*dlg, IDM_ABOUTBOX);
    const std::string contact = std::string(product::kSupportPhone) + "\n" + product::kSupportFax + "\nmailto:" +
                                product::kSupportEmail + "\n" + product::kWebSite + "\n" + product::kOfficeHours +
                                "\n" + product::kStreetAddress + "\n" + product::kPostOfficeBox + "\n" +
                                product::kTown;
    const std::vector<std::pair<int, std::string>> expected = {
        {IDC_ABOUT_PRODUCT, "Tollvane QX-R Firmware Update"},
        {IDC_ABOUT_VERSION, "Version 2.0.0.38"},
        {IDC_ABOUT_RELEASED, "Released December 9, 2011"},
        {IDC_ABOUT_COPYRIGHT, product::kCopyright},
        {IDC_ABOUT_NOTE, "This update utility can only be used to update the Tollvane QX-R firmware.\n"
                         "Only for use with RS-232 versions of the Tollvane QX that have a read switch connector."},
        {IDC_ABOUT_LABELS, "Phone:\nFAX:\nEmail:\nWeb:\nHours:\nAddress:"},
        {IDC_ABOUT_CONTACT, contact},
    };
    EXPECT_EQ(captions, (std::vector<std::string>(2, "About Tollvane QX-R Update")));
    EXPECT_EQ(seen, (std::vector<std::vector<std::pair<int, std::string>>>(2, expected)));
}

// ---------------------------------------------------------------------------
// Done, and the window's Close command that means the same, with a port the
// serial test program was asked to give up and not yet told it may take back
// (a run that ended before its closing step). The window's timer goes with it.
// (Close means Done: DialogLayerTest; nothing is given back that was not
// borrowed: ControllerTest's BorrowsThePortFromTheSerialTestProgram.)

using DoneWithPort = UpdateFixture;

TEST_F(DoneWithPort, CloseCommandClosesThePortAndReturnsWhatWasBorrowed)
{
    const WindowHandle tester = windows.Add("Ostrale Serial Test Program");
    OpenWithFirmware();
    ASSERT_TRUE(dlg->m_port.Open(kDevicePort, 9600, 'N', 8, 1));
    dlg->m_borrowedPort = kDevicePort;
    ui.ChooseSystemMenu(*dlg, SC_CLOSE);

    EXPECT_TRUE(dlg->HasEnded());
    EXPECT_EQ(dlg->Result(), IDCANCEL);
    EXPECT_FALSE(ports.IsOpen(kDevicePort));
    EXPECT_FALSE(DevicePowered());
    EXPECT_EQ(dlg->m_borrowedPort, -1);
    const auto& got = windows.Get(tester).received;
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_PORT_HANDOVER);
    EXPECT_EQ(got[0].wParam, PORT_HANDOVER_RETURN);
    EXPECT_EQ(got[0].lParam, kDevicePort);
    ui.Destroy(*dlg);
    EXPECT_FALSE(ui.PumpMessage());   // no timer left to wake anybody
}

} // namespace
} // namespace tvqx::testing
