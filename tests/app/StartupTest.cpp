// The window as it opens: texts, placement, menu, firmware files, looks.

#include "UpdateFixture.h"

#include "app/DialogTemplates.h"
#include "app/ProductInfo.h"
#include "platform/Directories.h"

#include <array>
#include <filesystem>

namespace tvqx::testing {
namespace {

using Startup = UpdateFixture;

TEST_F(Startup, OpensPlacedWithItsTextsLooksMenuAndTimerAndIgnoresEnter)
{
    WriteFirmwareHex(256);
    ui.SetScreenSize({1280, 1024});
    Open();
    // Placed as every dialog is (DialogLayerTest's Placement).
    const Rect r = dlg->GetWindowRect();
    EXPECT_EQ(r.left, (1280 - r.Width()) / 2);
    EXPECT_EQ(r.top, (1024 - r.Height()) / 4);
    EXPECT_EQ(dlg->GetWindowText(), "Tollvane QX-R Firmware Update");
    EXPECT_EQ(Status(IDC_PRODUCT_LINE), "Use to update the Tollvane QX-R firmware (only for use with units that "
                                        "have a read switch connector).");
    EXPECT_EQ(Status(IDC_FIRMWARE_VERSION), "Firmware version  =  QX-R 4.12");
    EXPECT_EQ(Status(IDC_FIRMWARE_FILE).rfind("Firmware file  =  firmware.hex     (", 0), 0u);
    EXPECT_EQ(Status(IDC_SUPPORT_GROUP), "Ostrale Support & Contact Information: ");
    EXPECT_EQ(Status(IDC_INSTRUCTIONS).substr(0, 75),
              "- The Tollvane QX obtains its power from the serial port handshake lines.\n-");
    EXPECT_FALSE(dlg->IsDlgItemVisible(IDC_DETAILED_INSTRUCTIONS));
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(dlg->m_timerId, 10u);
    EXPECT_EQ(dlg->GetIcon(true), IDR_MAINFRAME);

    const auto& items = dlg->GetSystemMenu()->Items();
    ASSERT_GE(items.size(), 2u);
    EXPECT_TRUE(items[items.size() - 2].separator);
    EXPECT_EQ(items.back().id, IDM_ABOUTBOX);
    EXPECT_EQ(items.back().text, "About Tollvane QX-R Update...");

    // The product line in dark red bold; the result line takes this look only
    // while waiting (RowUpdateTest).
    const ControlLook product = dlg->GetControlLook(IDC_PRODUCT_LINE);
    EXPECT_TRUE(product.custom);
    EXPECT_EQ(product.textColor, RGB(192, 0, 0));
    EXPECT_EQ(product.font, (FontSpec{"Microsoft Sans Serif", 90, 700}));
    EXPECT_TRUE(product.transparentBackground);
    EXPECT_FALSE(dlg->GetControlLook(IDC_RESULT).custom);
    EXPECT_FALSE(dlg->GetControlLook(IDC_PROGRESS).custom);

    // Enter with no push button focused does not end the window.
    dlg->SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(dlg->HasEnded());
}

// The five status lines in the order the user reads them, each in its own
// rectangle: the ids, not only the texts, decide what shows where.
TEST(MainWindowLayout, StatusLinesStandTopToBottom)
{
    struct Line {
        int id;
        int y, cy;
    };
    for (const Line& line : {Line{IDC_FIRMWARE_FILE, 284, 8}, Line{IDC_FIRMWARE_VERSION, 296, 8},
                             Line{IDC_BOOTLOADER_VERSION, 308, 8}, Line{IDC_PROGRESS, 320, 8},
                             Line{IDC_RESULT, 332, 12}}) {
        const ControlTemplate* c = MainWindowTemplate().Find(line.id);
        ASSERT_NE(c, nullptr) << line.id;
        EXPECT_EQ((std::array{c->x, c->y, c->cx, c->cy}), (std::array{20, line.y, 608, line.cy})) << line.id;
    }
}

// Firmware files that leave nothing to update with: "Begin Update" disabled,
// no version shown, and a box where a file is missing.
struct DescriptionCase {
    const char* name;
    const char* content;       // nullptr: no description file
    bool hexPresent;
    const char* expectedBox;   // nullptr: none
};

void PrintTo(const DescriptionCase& c, std::ostream* os) { *os << c.name; }

class FirmwareFilesAtStart : public UpdateFixture, public ::testing::WithParamInterface<DescriptionCase> {};

TEST_P(FirmwareFilesAtStart, DecideWhetherAnUpdateIsPossible)
{
    const auto& c = GetParam();
    if (c.content)
        WriteDescription(c.content);
    if (c.hexPresent)
        WriteProgramFile("fw.hex", ":00000001FF\n");
    Open();
    std::string expectedBox = c.expectedBox ? c.expectedBox : "";
    if (expectedBox == "description")
        expectedBox = "Unable to open the firmware description file:     \n     " + m_programDir +
                      "Tollvane-QX-R_with_Rd_Sw_Conn.txt     \n\nFirmware update wil be disabled.";
    if (expectedBox.empty()) {
        EXPECT_TRUE(Boxes().empty());
    } else {
        ExpectBox(expectedBox, "Tollvane QX-R Update", MB_ICONEXCLAMATION);
    }
    EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE));
    EXPECT_EQ(Status(IDC_FIRMWARE_VERSION), "Firmware version  =  ");
    EXPECT_EQ(dlg->m_firmwareVersion.empty(), dlg->m_hexFileName.empty());
    // The prompt is product wording, whatever the files say.
    EXPECT_EQ(dlg->m_wakePrompt, product::kWakePrompt);
}

const DescriptionCase kDescriptions[] = {
    {"OneLine", "4.12\n", true, nullptr},
    {"NoDescription", nullptr, true, "description"},
    {"HexMissing", "4.12\nfw.hex\n", false, "Unable to open the firmware hex file:     \n     fw.hex     "},
};

INSTANTIATE_TEST_SUITE_P(Description, FirmwareFilesAtStart, ::testing::ValuesIn(kDescriptions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramDirectory, FromTheCommandLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"\"D:\\Program Files\\Updater\\update.exe\" /x", "D:\\Program Files\\Updater\\"},
        {"\"  D:\\Program Files\\Updater\\update.exe\"", "D:\\Program Files\\Updater\\"},
        {"D:\\Tools\\update.exe /x", "D:\\Tools\\"},
        {"D:\\Tools\\update.exe", "D:\\Tools\\"},
        {"update.exe", ""},
        {"\"D:\\Tools\\update.exe", ""},
        {"", ""},
    };
    for (const auto& [line, dir] : cases)
        EXPECT_EQ(ProgramDirFromCommandLine(line), dir) << line;
}

#ifndef _WIN32
// Where a Linux user's temporary files go; Windows asks the system instead.
TEST(TempDirectory, PrefersTheUsersOwn)
{
    const std::string saved = getenv("XDG_RUNTIME_DIR") ? getenv("XDG_RUNTIME_DIR") : "";
    const std::string savedTmp = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    setenv("XDG_RUNTIME_DIR", "/nonexistent-dir", 1);
    setenv("TMPDIR", "/", 1);
    EXPECT_EQ(UserTempDirectory(), "/");
    setenv("XDG_RUNTIME_DIR", "/tmp", 1);
    EXPECT_EQ(UserTempDirectory(), "/tmp/");
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("TMPDIR");
    EXPECT_EQ(UserTempDirectory(), "/tmp/");
    if (!saved.empty())
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    if (!savedTmp.empty())
        setenv("TMPDIR", savedTmp.c_str(), 1);
}
#endif

} // namespace
} // namespace tvqx::testing
