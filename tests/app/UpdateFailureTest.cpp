// Every way a procedure can end when the unit misbehaves: the box's text
// (device name and failure text exact), when it comes, whether the port
// buttons are back by then, and what the run leaves behind. Then the ends
// before any page or row goes out, and the failure texts.

#include "UpdateFixture.h"

#include "update/UpdateTexts.h"

#include <filesystem>
#include <fstream>

namespace tvqx::testing {
namespace {

const std::string kFailed = "Firmware update failed";
const std::string kBlanks(15, ' ');

using Script = void (*)(sim::VariantDeviceFaults&);

struct Failure {
    const char* name;
    int variant;
    Script script;
    std::string box;
    uint64_t boxAtMs;      // from the press
    bool portsBackAtBox;   // the other port buttons are enabled when the box shows
    int blocks;            // rows or pages the device took; -1: not looked at
    const char* hex = nullptr;   // the HEX text, when not the usual firmware
    std::string result = kFailed;
};

void PrintTo(const Failure& c, std::ostream* os) { *os << c.name; }

// Variant 10's own lines. It powers the unit 500 ms before its entry command;
// its pages take 50 ms each. The port buttons come back once pages went out.
Failure V10(const char* name, Script script, const char* line, uint64_t at, int pages = 0)
{
    return {name, 10, script, line + texts::UpdateFailureText(), at, pages > 0, pages};
}

// The row transfer's lines: what the device did, or what is wrong with the
// file. The entry command goes out at 1100 (the wake-up tick at 1000, then
// 100 ms).
Failure V1(const char* name, Script script, const char* what, uint64_t afterEntry, int rows,
           const char* hex = nullptr)
{
    return {name, 1, script, what + std::string("Tollvane QX-R.     ") + texts::RowFailureText(), 1100 + afterEntry,
            true, rows, hex};
}
Failure V1File(const char* name, const char* line, int rows, const char* hex)
{
    return {name, 1, [](auto&) {}, line + texts::RowFailureText(), 1100, true, rows, hex};
}

// Variant 2's application: the box adds fifteen blanks to the result line.
Failure V2(const char* name, Script script, const char* result, uint64_t at)
{
    return {name, 2, script, result + kBlanks, at, false, 0, nullptr, result};
}

const char* const kQxBadVersion = "Invalid version response from the Tollvane QX.     ";
const char* const kQxrBadReady = "Invalid ready response from the Tollvane QX-R.     ";
const char* const kInvalidRow = "Invalid data in hex file.     ";
const char* const kCannotFind = "Cannot find a Tollvane QX-R.";

const Failure kFailures[] = {
    V10("V10NoAnswer", [](auto& f) { f.pages.ignoreEntryCommand = true; },
        "Invalid or no response from the Tollvane QX.     ", 3500),
    V10("V10VersionTooLate", [](auto& f) { f.pages.versionPieces = {{12, 0}, {1, 3000}}; },
        "Invalid or no response from the Tollvane QX.     ", 3500),
    // The version answer's checks, for every procedure (one reading).
    V10("V10WrongVersion", [](auto& f) { f.pages.versionText = "TVQXR-1-3.99"; }, kQxBadVersion, 500),
    V10("V10ShortVersion", [](auto& f) { f.pages.versionText = "TVQXR-1-4.0"; }, kQxBadVersion, 500),
    V10("V10LongVersion", [](auto& f) { f.pages.versionText = "TVQXR-1-4.000"; }, kQxBadVersion, 500),
    V10("V10LowerCaseVersion", [](auto& f) { f.pages.versionText = "tvqxr-1-4.00"; }, kQxBadVersion, 500),
    V10("V10LeadingLineFeed", [](auto& f) { f.pages.noiseBeforeAnswer = {{0, {0x0A}}}; }, kQxBadVersion, 500),
    V10("V10EndlessVersion", [](auto& f) { f.pages.versionText = std::string(400, 'V'); }, kQxBadVersion, 500),
    V10("V10NoReady", [](auto& f) { f.pages.omitReady = true; }, "No ready response from the Tollvane QX.     ",
        1500),
    V10("V10WrongReadyThenReady", [](auto& f) { f.pages.readyByte = '?'; f.pages.readyAfterWrongByte = true; },
        "Invalid ready response from the Tollvane QX.     ", 500),
    V10("V10FiveResends", [](auto& f) { f.pages.resendsForPage = {{1, 5}}; }, kQxrBadReady, 500 + 50 * 6, 6),
    V10("V10WrongPageAnswer", [](auto& f) { f.pages.pageAnswerByte = {{2, 'x'}}; }, kQxrBadReady, 500 + 50 * 3, 3),
    V10("V10SilentFromPage3", [](auto& f) { f.pages.hangAtPage = 3; }, "No response from the Tollvane QX-R.     ",
        500 + 50 * 3 + 50 + 3000, 4),

    V1("V1NoVersion", [](auto& f) { f.rows.ignoreEntryCommand = true; }, "No response from the ", 3000, 0),
    V1("V1WrongVersion", [](auto& f) { f.rows.versionText = "TVQXR-1-4.01"; }, "Invalid version response from the ", 0,
       0),
    V1("V1NoReady", [](auto& f) { f.rows.omitReady = true; }, "No ready response from the ", 2000, 0),
    V1("V1WrongReady", [](auto& f) { f.rows.readyByte = '!'; }, "Invalid ready response from the ", 0, 0),
    V1("V1NoXon", [](auto& f) { f.rows.xonFor[0] = {}; }, "Timeout waiting for XON character from the ", 2000, 0),
    V1("V1WrongXon", [](auto& f) { f.rows.xonFor[1] = {'x'}; }, "Invalid XON response from the ", 0, 1),
    V1("V1AtStormForXon", [](auto& f) { f.rows.xonFor[2] = std::vector<uint8_t>(40, '@'); },
       "Invalid XON response from the ", 0, 2),
    // A missing XOFF or '~' shows as the next character arriving in its place.
    V1("V1NoXoff", [](auto& f) { f.rows.xoffFor[0] = {}; }, "Invalid XOFF response from the ", 0, 1),
    V1("V1NoLineComplete", [](auto& f) { f.rows.lineCompleteFor[0] = {}; },
       "Invalid line complete response from the ", 0, 1),
    V1("V1SlowLineComplete", [](auto& f) { f.rows.rowWriteMs = 2000; },
       "Timeout waiting for line complete character from the ", 2000, 1),
    // The right checksum is BE.
    V1("V1RowRefused", [](auto&) {}, "Invalid line complete response from the ", 0, 1,
       ":0100000041BF\r\n:00000001FF\r\n"),
    V1("V1NoFileComplete", [](auto& f) { f.rows.fileCompleteAnswer = std::vector<uint8_t>{}; },
       "Timeout waiting for file complete character from the ", 2000, 4),
    V1("V1WrongFileComplete", [](auto& f) { f.rows.fileCompleteAnswer = std::vector<uint8_t>{'~'}; },
       "Invalid file complete response from the ", 0, 4),
    V1("V1SilentInTheMiddleOfARow", [](auto& f) { f.rows.silentFrom = sim::RowPosition{1, 10}; },
       "Timeout waiting for XOFF character from the ", 2000, 1),
    // The rows before a bad line have gone out; the bad one never does.
    V1File("V1EmptyLineInTheFile", kInvalidRow, 1, ":0100000041BE\r\n\r\n:00000001FF\r\n"),
    V1File("V1LineStartingWithABlank", kInvalidRow, 1, ":0100000041BE\r\n :00000001FF\r\n"),
    V1File("V1EmptyFile", "Unable to read the firmware hex file.     ", 0, ""),
    // Nothing to program: refused before any row, never "updated".
    V1File("V1NoDataRecord", kInvalidRow, 0, ":00000001FF\r\n"),

    // The page variants' own failures; their greeting is variant 1's. Variant
    // 4's tick at 1000 finds the wake-up byte, its entry command follows 100
    // ms later and the version is read from 20 ms after it; variant 5's comes
    // at 1700.
    {"V4PageUnanswered", 4, [](auto& f) { f.pages.hangAtPage = 2; },
     "No response from the Tollvane QX-R.     " + texts::RowFailureText(), 1120 + 2 * 50 + 50 + 3000, true, -1},
    {"V5FifthResend", 5, [](auto& f) { f.pages.resendsForPage = {{1, 5}}; },
     "Invalid ready response from the Tollvane QX-R.     " + texts::RowFailureText(), 1700, true, 6},

    // Variant 2's application does not answer as it should. (Not letting go
    // within 2 s: ProcedureBranchesTest's ModemStatusLostDuringTheHandover.)
    V2("V2WrongAnswer", [](auto& f) { f.application.answerText = "TVQXR-APP-4.11\r"; }, kCannotFind, 2000),
    V2("V2AnswerWithoutItsEnd", [](auto& f) { f.application.answerText = "TVQXR-APP-4.12"; }, kCannotFind, 2000),
    // Longer than the program's answer buffer: it must neither overrun it
    // nor take the right beginning for the whole answer.
    V2("V2AnswerTooLong",
       [](auto& f) { f.application.answerText = "TVQXR-APP-4.12-SPECIAL-BUILD\r" + std::string(200, '#'); },
       kCannotFind, 2000),
    V2("V2SilentApplication", [](auto& f) { f.application.ignoreVersionRequest = true; }, kCannotFind, 2000),
    V2("V2AnswerTooLate", [](auto& f) { f.application.answerDelayMs = 2000; }, kCannotFind, 2000),
};

class UpdateFailure : public UpdateFixture, public ::testing::WithParamInterface<Failure> {};

TEST_P(UpdateFailure, EndsWithItsMessageAndLeavesNothingSaved)
{
    const Failure& c = GetParam();
    sim::VariantDeviceFaults faults;
    c.script(faults);
    UseVariant(c.variant, faults);
    if (c.hex)
        WriteHexText(c.hex);
    else
        WriteFirmwareHex(c.variant == 1 ? 48 : 1024);   // three rows; eight pages of 128 or four of 256
    profile.WriteProfileInt("Settings", "ComPort", 1);
    OpenOnDevicePort();
    // The port is closed before the box comes up.
    bool closedAtTheBox = false, portsBackAtTheBox = false;
    ui.onMessageBox = [&](const MessageBoxRecord&) {
        closedAtTheBox = !ports.IsOpen(kDevicePort);
        portsBackAtTheBox = dlg->IsDlgItemEnabled(IDC_COM1);
    };
    Press();
    RunWindow();

    ExpectErrorBox(c.box);
    EXPECT_EQ(BoxAtMs(), c.boxAtMs);
    EXPECT_TRUE(closedAtTheBox);
    EXPECT_EQ(portsBackAtTheBox, c.portsBackAtBox);
    EXPECT_EQ(Status(IDC_RESULT), c.result);
    if (c.blocks >= 0) {
        EXPECT_EQ(unit.BlocksReceived(), static_cast<size_t>(c.blocks));
    }
    if (c.variant != 1 || c.blocks != 4) {   // every row: the unit has all it needs, its answer failed
        EXPECT_FALSE(unit.UpdateComplete());
    }
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_EQ(ImageExists(), c.variant == 10);   // only variant 10 leaves its image for the next run
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(Device, UpdateFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// Ends before any page or row goes out: the box says why. Variant 10 powers
// the device only to greet it, and keeps an image it converted, as after any
// run; the waiting variants open the port before they convert (the wait has
// begun), and go back to Idle through the cancel branch.
enum class Step {
    NoPortChecked,
    PortMissing,          // COM1: listed, nothing behind it
    HexFileGone,          // before the press
    HexGoneWhileWaiting,  // the greeting looks at the file again
    InvalidHex,
    LinkAtTheImagePath,   // never followed (HexImageTest): the image cannot be created
    ImageCutShort,        // one byte short of a page once the boot loader has answered
};

struct EarlyEnd {
    const char* name;
    int variant;
    Step step;
    const char* text;
    const char* caption;
    UINT type;
    const char* result;
    bool powered;     // the port was opened
    bool imageLeft;
};

void PrintTo(const EarlyEnd& c, std::ostream* os) { *os << c.name; }

const char* const kError = "Firmware Update Error";
const char* const kHexGone = "Unable to open the firmware hex file:     \n     firmware.hex     ";
const char* const kInvalidHex = "Invalid firmware hex file.                           ";
const char* const kCom1 = "Unable to open serial port COM1     ";
const char* const kShortImage = "Unable to open the temporary firmware file.               ";
const EarlyEnd kEarlyEnds[] = {
    {"NoPortChecked", 10, Step::NoPortChecked, "Unable to open serial port COM-2000     ", kError, MB_ICONEXCLAMATION,
     "Firmware update failed", false, true},
    {"PortMissing", 10, Step::PortMissing, kCom1, kError, MB_ICONEXCLAMATION, "Firmware update failed", false, true},
    {"HexFileGone", 10, Step::HexFileGone, kHexGone, "Tollvane QX-R Update", MB_ICONEXCLAMATION, "", false, false},
    {"InvalidHex", 10, Step::InvalidHex, kInvalidHex, kError, MB_OK, "", false, false},
    {"LinkAtTheImagePath", 10, Step::LinkAtTheImagePath,
     "Unable to create the temporary firmware file.               ", kError, MB_OK, "", false, false},
    {"ImageCutShort", 10, Step::ImageCutShort, kShortImage, kError, MB_OK, "", true, true},
    {"PortMissing4", 4, Step::PortMissing, kCom1, kError, MB_ICONEXCLAMATION, "", false, false},
    {"ImageCutShort4", 4, Step::ImageCutShort, kShortImage, kError, MB_OK, "", true, false},
    {"InvalidHex5", 5, Step::InvalidHex, kInvalidHex, kError, MB_OK, "", true, false},
    {"HexGoneWhileWaiting1", 1, Step::HexGoneWhileWaiting, kHexGone, "Tollvane QX-R Update", MB_ICONEXCLAMATION, "",
     true, false},
};

class EndsBeforeTheTransfer : public UpdateFixture, public ::testing::WithParamInterface<EarlyEnd> {};

TEST_P(EndsBeforeTheTransfer, ShowsWhyAndSendsNothing)
{
    const EarlyEnd& c = GetParam();
#ifdef _WIN32
    // The image is held with sharing denied from its conversion on: on
    // Windows nobody can shorten it (on Linux a program that ignores the
    // lock still can).
    if (c.step == Step::ImageCutShort)
        GTEST_SKIP() << "the held image cannot be shortened on Windows";
#endif
    UseVariant(c.variant);
    WriteFirmwareHex(1024);
    if (c.step == Step::NoPortChecked)
        inventory.Set(std::vector<PortEntry>{});
    if (c.step == Step::InvalidHex) {
        WriteProgramFile("firmware.hex", ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF01\n:00000001FF\n");
        std::ofstream(ImagePath()) << "left over from an earlier run";
    }
    if (c.step == Step::LinkAtTheImagePath && !test::PlantSymlink(m_programDir + "nowhere", ImagePath()))
        GTEST_SKIP() << test::kNoSymlinksHere;
    profile.WriteProfileInt("Settings", "ComPort", 1);
    Open();
    if (c.step == Step::HexFileGone)
        std::filesystem::remove(m_programDir + "firmware.hex");
    if (c.step != Step::NoPortChecked)
        ui.Click(*dlg, c.step == Step::PortMissing ? IDC_COM1 : IDC_COM3);
    // The version line shows between the boot loader's answer and the
    // image's reading: the moment another program could shorten the file.
    bool cut = false;
    ui.onControlChanged = [&](CDialog& dialog, int) {
        if (c.step == Step::ImageCutShort && !cut && &dialog == dlg.get() && !Status(IDC_BOOTLOADER_VERSION).empty()) {
            cut = true;
            std::filesystem::resize_file(ImagePath(), c.variant == 10 ? 127 : 255);
        }
    };
    Press();
    if (c.step == Step::HexGoneWhileWaiting) {
        RunWindow(700);
        std::filesystem::remove(m_programDir + "firmware.hex");
    }
    RunWindow();

    ExpectBox(c.text, c.caption, c.type);
    EXPECT_EQ(Status(IDC_RESULT), c.result);
    if (c.step == Step::HexFileGone) {
        EXPECT_EQ(Status(IDC_FIRMWARE_FILE), "Firmware file  =  firmware.hex");   // no time without the file
    }
    EXPECT_EQ(unit.PowerEvents().size(), c.powered ? 2u : 0u);
    EXPECT_EQ(unit.BlocksReceived(), 0u);
    EXPECT_FALSE(unit.UpdateComplete());   // not even the end marker
    EXPECT_EQ(ImageExists(), c.imageLeft);
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_TRUE(dlg->IsAtRest() && dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE));
}

INSTANTIATE_TEST_SUITE_P(Step, EndsBeforeTheTransfer, ::testing::ValuesIn(kEarlyEnds),
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

TEST(RowFailureText, NamesTheDeviceAndTheMaker)
{
    const std::string text = texts::RowFailureText();
    EXPECT_EQ(text.rfind("\n\nFirmware update terminated.\n\nIf some of the hex file was transferred, the "
                         "firmware in the Tollvane QX-R may be corrupt.     \n\nYou should retry the firmware "
                         "update procedure.\n\nIf you continue to have problems, contact Ostrale Systems for "
                         "support.\n     Office hours ",
                         0),
              0u);
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
}

} // namespace
} // namespace tvqx::testing
