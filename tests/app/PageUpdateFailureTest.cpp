// Updates that fail: each way the device can misbehave ends in its own
// message at its own moment, with the port closed and nothing saved.

#include "UpdateFixture.h"

#include "update/UpdateTexts.h"

#include <filesystem>
#include <fstream>

namespace tvqx::testing {
namespace {

struct FailureCase {
    const char* name;
    sim::PageBootLoaderFaults faults;
    const char* message;        // first line of the message box
    uint64_t boxAtMs;           // virtual time of the box, from the click
    bool transferBegun;         // the port buttons come back before the box
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

sim::PageBootLoaderFaults With(void (*set)(sim::PageBootLoaderFaults&))
{
    sim::PageBootLoaderFaults f;
    set(f);
    return f;
}

const FailureCase kFailures[] = {
    {"NoAnswer", With([](auto& f) { f.ignoreEntryCommand = true; }),
     "Invalid or no response from the Tollvane QX.     ", 3500, false},
    {"VersionTooLate", With([](auto& f) { f.versionPieces = {{12, 0}, {1, 3000}}; }),
     "Invalid or no response from the Tollvane QX.     ", 3500, false},
    {"WrongVersion", With([](auto& f) { f.versionText = "TVQXR-1-3.99"; }),
     "Invalid version response from the Tollvane QX.     ", 500, false},
    {"ShortVersion", With([](auto& f) { f.versionText = "TVQXR-1-4.0"; }),
     "Invalid version response from the Tollvane QX.     ", 500, false},
    {"LongVersion", With([](auto& f) { f.versionText = "TVQXR-1-4.000"; }),
     "Invalid version response from the Tollvane QX.     ", 500, false},
    {"LowerCaseVersion", With([](auto& f) { f.versionText = "tvqxr-1-4.00"; }),
     "Invalid version response from the Tollvane QX.     ", 500, false},
    {"LeadingLineFeed", With([](auto& f) { f.noiseBeforeAnswer = {{0, {0x0A}}}; }),
     "Invalid version response from the Tollvane QX.     ", 500, false},
    {"EndlessVersion", With([](auto& f) { f.versionText = std::string(400, 'V'); }),
     "Invalid version response from the Tollvane QX.     ", 500, false},
    {"NoReady", With([](auto& f) { f.omitReady = true; }),
     "No ready response from the Tollvane QX.     ", 1500, false},
    {"WrongReadyThenReady", With([](auto& f) { f.readyByte = '?'; f.readyAfterWrongByte = true; }),
     "Invalid ready response from the Tollvane QX.     ", 500, false},
    {"FiveResends", With([](auto& f) { f.resendsForPage = {{1, 5}}; }),
     "Invalid ready response from the Tollvane QX-R.     ", 500 + 50 * 6, true},
    {"WrongPageAnswer", With([](auto& f) { f.pageAnswerByte = {{2, 'x'}}; }),
     "Invalid ready response from the Tollvane QX-R.     ", 500 + 50 * 3, true},
    {"SilentFromPage3", With([](auto& f) { f.hangAtPage = 3; }),
     "No response from the Tollvane QX-R.     ", 500 + 50 * 3 + 50 + 3000, true},
};

class PageUpdateFailure : public UpdateFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PageUpdateFailure, EndsWithItsMessageAndLeavesNothingSaved)
{
    const FailureCase& c = GetParam();
    UseDevice(c.faults);
    OpenWithFirmware(1024);
    ui.Click(*dlg, IDC_COM3);
    profile.WriteProfileInt("Settings", "ComPort", 1);

    // What the window shows at the moment the box comes up.
    bool portButtonsBack = false;
    ui.onMessageBox = [&](const MessageBoxRecord&) {
        portButtonsBack = dlg->IsDlgItemEnabled(IDC_COM1);
        EXPECT_FALSE(ports.IsOpen(kDevicePort));
    };
    RunUpdate();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, c.message + texts::UpdateFailureText());
    EXPECT_EQ(Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(Boxes()[0].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(Boxes()[0].tick - static_cast<uint32_t>(clickMs), c.boxAtMs);
    EXPECT_EQ(portButtonsBack, c.transferBegun);
    EXPECT_EQ(Status(IDC_RESULT), "Firmware update failed");
    EXPECT_FALSE(device->Powered());
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_FALSE(device->EndMarkerReceived());
    for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_CONTACT_INFO, IDC_COM1, IDC_COM3})
        EXPECT_TRUE(dlg->IsDlgItemEnabled(id)) << id;
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(Device, PageUpdateFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FailureText, NamesTheSupportContacts)
{
    const std::string text = texts::UpdateFailureText();
    EXPECT_EQ(text.rfind("\n\nFirmware update terminated.\n\nIf some of the hex file was transferred, the\n"
                         "firmware in the Tollvane QX may be corrupt.\n\nYou should retry the firmware update "
                         "procedure.\n\nIf you continue to have problems, contact Ostrale          \n"
                         "customer support at:\n     ",
                         0),
              0u);
    EXPECT_NE(text.find("\n     Office hours "), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
}

using PageUpdateSetupFailure = UpdateFixture;

TEST_F(PageUpdateSetupFailure, NoPortCheckedNamesPortMinus2000)
{
    inventory.Set(std::vector<PortEntry>{});
    OpenWithFirmware();
    ASSERT_EQ(dlg->GetCheckedRadioButton(IDC_COM1, IDC_COM22), 0);
    ASSERT_TRUE(dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE));
    RunUpdate();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Unable to open serial port COM-2000     ");
    EXPECT_EQ(Boxes()[0].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(Status(IDC_RESULT), "Firmware update failed");
}

TEST_F(PageUpdateSetupFailure, PortMissingOrInUse)
{
    OpenWithFirmware();
    ui.Click(*dlg, IDC_COM1);   // listed, but no device behind it
    RunUpdate();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Unable to open serial port COM1     ");
    EXPECT_EQ(Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(Status(IDC_RESULT), "Firmware update failed");
}

TEST_F(PageUpdateSetupFailure, HexFileGoneBeforeTheUpdate)
{
    OpenWithFirmware();
    std::filesystem::remove(m_programDir + "firmware.hex");
    ui.Click(*dlg, IDC_COM3);
    RunUpdate();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Unable to open the firmware hex file:     \n     firmware.hex     ");
    EXPECT_EQ(Boxes()[0].caption, "Tollvane QX-R Update");
    EXPECT_TRUE(device->PowerEvents().empty());   // the port was never opened
    EXPECT_EQ(Status(IDC_FIRMWARE_FILE), "Firmware file  =  firmware.hex");
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE));
    EXPECT_EQ(Status(IDC_RESULT), "");
}

TEST_F(PageUpdateSetupFailure, InvalidHexFileLeavesNoImage)
{
    WriteDescription("QX-R 4.12\nfirmware.hex\n");
    WriteProgramFile("firmware.hex", ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF01\n:00000001FF\n");
    Open();
    ui.Click(*dlg, IDC_COM3);
    RunUpdate();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Invalid firmware hex file.                           ");
    EXPECT_EQ(Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(Boxes()[0].type, MB_OK);
    EXPECT_FALSE(std::filesystem::exists(ImagePath()));
    EXPECT_TRUE(device->PowerEvents().empty());
}

TEST_F(PageUpdateSetupFailure, PlantedLinkAtTheImagePathIsNeverFollowed)
{
    WriteFirmware(FirmwareBytes(256));
    WriteProgramFile("victim.txt", "keep me");
    if (!test::PlantSymlink(m_programDir + "victim.txt", ImagePath()))
        GTEST_SKIP() << test::kNoSymlinksHere;
    Open();
    ui.Click(*dlg, IDC_COM3);
    RunUpdate();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Unable to create the temporary firmware file.               ");
    EXPECT_TRUE(device->PowerEvents().empty());
    std::ifstream victim(m_programDir + "victim.txt");
    std::string content;
    std::getline(victim, content);
    EXPECT_EQ(content, "keep me");
}

} // namespace
} // namespace tvqx::testing
