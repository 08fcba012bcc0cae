// Every way the row transfer can fail: the message (device name and failure
// text exact), when it comes, and what it leaves behind.

#include "VariantFixture.h"

#include "update/UpdateTexts.h"

#include <functional>

namespace tvqx::testing {
namespace {

struct RowFailureCase {
    const char* name;
    std::function<void(sim::VariantDeviceFaults&)> script;
    // The HEX text; empty for the usual three data rows and the end record.
    std::string hex;
    std::string message;          // before the failure text
    uint64_t afterEntryMs;        // when the box comes, from the entry command
    size_t rowsReceived;          // rows the device took
};

std::string From(const char* what)
{
    return std::string(what) + "Tollvane QX-R.     ";
}

const std::string kBadChecksumRow = ":0100000041BF";   // the right checksum is BE

const RowFailureCase kRowFailures[] = {
    {"NoVersion", [](auto& f) { f.rows.ignoreEntryCommand = true; }, "", From("No response from the "), 3000, 0},
    {"WrongVersion", [](auto& f) { f.rows.versionText = "TVQXR-1-4.01"; }, "",
     From("Invalid version response from the "), 0, 0},
    {"LongVersion", [](auto& f) { f.rows.versionText = "TVQXR-1-4.000"; }, "",
     From("Invalid version response from the "), 0, 0},
    {"NoReady", [](auto& f) { f.rows.omitReady = true; }, "", From("No ready response from the "), 2000, 0},
    {"WrongReady", [](auto& f) { f.rows.readyByte = '!'; }, "", From("Invalid ready response from the "), 0, 0},
    {"NoXon", [](auto& f) { f.rows.xonFor[0] = {}; }, "", From("Timeout waiting for XON character from the "),
     2000, 0},
    {"WrongXon", [](auto& f) { f.rows.xonFor[1] = {'x'}; }, "", From("Invalid XON response from the "), 0, 1},
    {"AtStormForXon", [](auto& f) { f.rows.xonFor[2] = std::vector<uint8_t>(40, '@'); }, "",
     From("Invalid XON response from the "), 0, 2},
    // A missing XOFF or '~' shows as the next character arriving in its place.
    {"NoXoff", [](auto& f) { f.rows.xoffFor[0] = {}; }, "", From("Invalid XOFF response from the "), 0, 1},
    {"XonForXoff", [](auto& f) { f.rows.xoffFor[1] = {0x11}; }, "", From("Invalid XOFF response from the "), 0, 2},
    {"NoLineComplete", [](auto& f) { f.rows.lineCompleteFor[0] = {}; }, "",
     From("Invalid line complete response from the "), 0, 1},
    {"SlowLineComplete", [](auto& f) { f.rows.rowWriteMs = 2000; }, "",
     From("Timeout waiting for line complete character from the "), 2000, 1},
    {"RowRefused", [](auto&) {}, kBadChecksumRow + "\r\n:00000001FF\r\n",
     From("Invalid line complete response from the "), 0, 1},
    {"NoFileComplete", [](auto& f) { f.rows.fileCompleteAnswer = std::vector<uint8_t>{}; }, "",
     From("Timeout waiting for file complete character from the "), 2000, 4},
    {"WrongFileComplete", [](auto& f) { f.rows.fileCompleteAnswer = std::vector<uint8_t>{'~'}; }, "",
     From("Invalid file complete response from the "), 0, 4},
    {"SilentInTheMiddleOfARow", [](auto& f) { f.rows.silentFrom = sim::RowPosition{1, 10}; }, "",
     From("Timeout waiting for XOFF character from the "), 2000, 1},
    // The rows before a bad line have gone out; the bad one never does.
    {"EmptyLineInTheFile", [](auto&) {}, ":0100000041BE\r\n\r\n:00000001FF\r\n", "Invalid data in hex file.     ", 0,
     1},
    {"LineStartingWithABlank", [](auto&) {}, ":0100000041BE\r\n :00000001FF\r\n", "Invalid data in hex file.     ", 0,
     1},
    {"EmptyFile", [](auto&) {}, " ", "Unable to read the firmware hex file.     ", 0, 0},
    // Nothing to program: refused before any row, never "updated".
    {"NoDataRecord", [](auto&) {}, ":00000001FF\r\n", "Invalid data in hex file.     ", 0, 0},
};

class RowUpdateFailure : public VariantFixture, public ::testing::WithParamInterface<RowFailureCase> {};

TEST_P(RowUpdateFailure, EndsWithItsMessageAndAPoweredDownDevice)
{
    const RowFailureCase& c = GetParam();
    sim::VariantDeviceFaults faults;
    c.script(faults);
    UseVariant(1, faults);
    if (c.hex.empty())
        WriteHexText(MakeHex(FirmwareBytes(48)));
    else
        WriteHexText(c.hex == " " ? "" : c.hex);
    OpenOnDevicePort();
    Press();
    RunWindow();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, c.message + texts::RowFailureText());
    EXPECT_EQ(Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(Boxes()[0].type, MB_ICONEXCLAMATION);
    const uint64_t entryAt = 1100;   // the wake-up tick at 1000, then 100 ms
    EXPECT_EQ(Boxes()[0].tick - clickMs - entryAt, c.afterEntryMs);
    EXPECT_EQ(unit.rowLoader->RowsReceived().size(), c.rowsReceived);
    EXPECT_EQ(Status(IDC_RESULT), "Firmware update failed");
    EXPECT_FALSE(ports.IsOpen(kDevicePort));
    EXPECT_FALSE(unit.PowerEvents().back().on);
    EXPECT_FALSE(unit.rowLoader->UpdateComplete() && c.rowsReceived < 4);
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), -1);
    EXPECT_EQ(Status(IDC_BEGIN_UPDATE), "Begin Update");
    for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_CONTACT_INFO, IDC_REFRESH_PORTS, IDC_COM1})
        EXPECT_TRUE(dlg->IsDlgItemEnabled(id)) << id;
}

INSTANTIATE_TEST_SUITE_P(Device, RowUpdateFailure, ::testing::ValuesIn(kRowFailures),
                         [](const auto& info) { return std::string(info.param.name); });

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
