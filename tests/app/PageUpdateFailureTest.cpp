// Updates that fail: each way the device can misbehave ends in its own
// message at its own moment, with the port closed and nothing saved.

#include "UpdateFixture.h"

#include "update/UpdateTexts.h"

#include <filesystem>

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

const char* const kNoAnswer = "Invalid or no response from the Tollvane QX.     ";
const char* const kBadVersion = "Invalid version response from the Tollvane QX.     ";
const char* const kBadPageAnswer = "Invalid ready response from the Tollvane QX-R.     ";

const FailureCase kFailures[] = {
    {"NoAnswer", {.ignoreEntryCommand = true}, kNoAnswer, 3500, false},
    {"VersionTooLate", {.versionPieces = {{12, 0}, {1, 3000}}}, kNoAnswer, 3500, false},
    {"WrongVersion", {.versionText = "TVQXR-1-3.99"}, kBadVersion, 500, false},
    {"ShortVersion", {.versionText = "TVQXR-1-4.0"}, kBadVersion, 500, false},
    {"LongVersion", {.versionText = "TVQXR-1-4.000"}, kBadVersion, 500, false},
    {"LowerCaseVersion", {.versionText = "tvqxr-1-4.00"}, kBadVersion, 500, false},
    {"LeadingLineFeed", {.noiseBeforeAnswer = {{0, {0x0A}}}}, kBadVersion, 500, false},
    {"EndlessVersion", {.versionText = std::string(400, 'V')}, kBadVersion, 500, false},
    {"NoReady", {.omitReady = true}, "No ready response from the Tollvane QX.     ", 1500, false},
    {"WrongReadyThenReady", {.readyByte = '?', .readyAfterWrongByte = true},
     "Invalid ready response from the Tollvane QX.     ", 500, false},
    {"FiveResends", {.resendsForPage = {{1, 5}}}, kBadPageAnswer, 500 + 50 * 6, true},
    {"WrongPageAnswer", {.pageAnswerByte = {{2, 'x'}}}, kBadPageAnswer, 500 + 50 * 3, true},
    {"SilentFromPage3", {.hangAtPage = 3}, "No response from the Tollvane QX-R.     ", 500 + 50 * 3 + 50 + 3000, true},
};

class PageUpdateFailure : public UpdateFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PageUpdateFailure, EndsWithItsMessageAndLeavesNothingSaved)
{
    const FailureCase& c = GetParam();
    UseVariant(10, {.pages = c.faults});
    WriteFirmwareHex(1024);
    OpenOnDevicePort();
    profile.WriteProfileInt("Settings", "ComPort", 1);

    // What the window shows at the moment the box comes up.
    bool portButtonsBack = false;
    ui.onMessageBox = [&](const MessageBoxRecord&) {
        portButtonsBack = dlg->IsDlgItemEnabled(IDC_COM1);
        EXPECT_FALSE(ports.IsOpen(kDevicePort));
    };
    Press();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, c.message + texts::UpdateFailureText());
    EXPECT_EQ(Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(Boxes()[0].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(Boxes()[0].tick - static_cast<uint32_t>(clickMs), c.boxAtMs);
    EXPECT_EQ(portButtonsBack, c.transferBegun);
    EXPECT_EQ(Status(IDC_RESULT), "Firmware update failed");
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_FALSE(unit.pageLoader->EndMarkerReceived());
    EXPECT_TRUE(IsIdleWindow());
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

// Ends before the boot loader is greeted: the box says why, and the device is
// never powered. Past the conversion, the image stays as after any run.
enum class Step { NoPortChecked, PortMissing, HexFileGone, InvalidHex, LinkAtTheImagePath };

struct SetupFailure {
    const char* name;
    Step step;
    const char* text;
    const char* caption;
    UINT type;
    const char* result;
};

void PrintTo(const SetupFailure& c, std::ostream* os) { *os << c.name; }

const char* const kError = "Firmware Update Error";
const SetupFailure kSetupFailures[] = {
    {"NoPortChecked", Step::NoPortChecked, "Unable to open serial port COM-2000     ", kError, MB_ICONEXCLAMATION,
     "Firmware update failed"},
    {"PortMissing", Step::PortMissing, "Unable to open serial port COM1     ", kError, MB_ICONEXCLAMATION,
     "Firmware update failed"},
    {"HexFileGone", Step::HexFileGone, "Unable to open the firmware hex file:     \n     firmware.hex     ",
     "Tollvane QX-R Update", MB_ICONEXCLAMATION, ""},
    {"InvalidHex", Step::InvalidHex, "Invalid firmware hex file.                           ", kError, MB_OK, ""},
    // Never followed (HexImageTest): the conversion cannot create the image.
    {"LinkAtTheImagePath", Step::LinkAtTheImagePath, "Unable to create the temporary firmware file.               ",
     kError, MB_OK, ""},
};

class PageUpdateSetupFailure : public UpdateFixture, public ::testing::WithParamInterface<SetupFailure> {};

TEST_P(PageUpdateSetupFailure, ShowsWhyAndNeverPowersTheDevice)
{
    const SetupFailure& c = GetParam();
    WriteFirmwareHex(256);
    if (c.step == Step::NoPortChecked)
        inventory.Set(std::vector<PortEntry>{});
    if (c.step == Step::InvalidHex)
        WriteProgramFile("firmware.hex", ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF01\n:00000001FF\n");
    if (c.step == Step::LinkAtTheImagePath && !test::PlantSymlink(m_programDir + "nowhere", ImagePath()))
        GTEST_SKIP() << test::kNoSymlinksHere;
    Open();
    if (c.step == Step::HexFileGone)
        std::filesystem::remove(m_programDir + "firmware.hex");
    if (c.step != Step::NoPortChecked)
        ui.Click(*dlg, c.step == Step::PortMissing ? IDC_COM1 : IDC_COM3);   // COM1: nothing behind it
    Press();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, c.text);
    EXPECT_EQ(Boxes()[0].caption, c.caption);
    EXPECT_EQ(Boxes()[0].type, c.type);
    EXPECT_EQ(Status(IDC_RESULT), c.result);
    if (c.step == Step::HexFileGone)
        EXPECT_EQ(Status(IDC_FIRMWARE_FILE), "Firmware file  =  firmware.hex");   // no time without the file
    EXPECT_TRUE(unit.PowerEvents().empty());
    EXPECT_EQ(ImageExists(), c.step == Step::NoPortChecked || c.step == Step::PortMissing);
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE));
}

INSTANTIATE_TEST_SUITE_P(Step, PageUpdateSetupFailure, ::testing::ValuesIn(kSetupFailures),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tvqx::testing
