// What the console front end prints: fixed forms that scripts read.

#include "cli/ConsoleReport.h"
#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tvqx::cli {
namespace {

TEST(ConsoleReport, MessageBoxKeepsItsTextExactly)
{
    EXPECT_EQ(FormatMessageBox("Cap", "first\n\n  second     "), "[Cap]\nfirst\n\n  second     \n\n");
}

TEST(ConsoleReport, PortListingLines)
{
    ComPortListing named{3, "COM3", "/home/ann/.config/Ostrale Systems/ports/COM3", "/dev/pts/5",
                         ComPortListing::Origin::PortDirectory};
    EXPECT_EQ(FormatPortListing(named, "/home/ann"), "COM3  /dev/pts/5 (~/.config/Ostrale Systems/ports/COM3)");
    // Only a whole directory name is shortened.
    EXPECT_EQ(FormatPortListing(named, "/home/an"),
              "COM3  /dev/pts/5 (/home/ann/.config/Ostrale Systems/ports/COM3)");
    EXPECT_EQ(FormatPortListing({2, "COM2", "/dev/ttyUSB0", "/dev/ttyUSB0", ComPortListing::Origin::UsbAdapter}, ""),
              "COM2  /dev/ttyUSB0 (USB serial adapter)");
    ComPortListing adapter{2, "COM2", "/dev/ttyUSB0", "/dev/ttyUSB0", ComPortListing::Origin::UsbAdapter,
                           "Example Corp USB Serial, serial number A1"};
    EXPECT_EQ(FormatPortListing(adapter, ""), "COM2  /dev/ttyUSB0 (USB serial adapter: Example Corp USB Serial, serial number A1)");
    named.adapter = "Example Corp USB Serial";
    EXPECT_EQ(FormatPortListing(named, "/home/ann"),
              "COM3  /dev/pts/5 (~/.config/Ostrale Systems/ports/COM3: Example Corp USB Serial)");
}

// The command is pasted into a shell as it is, so every path in it is quoted.
TEST(ConsoleReport, UnlistedDeviceSaysHowToEnterIt)
{
    EXPECT_EQ(UnlistedDeviceMessage("/dev/serial/by-id/usb-It's_A1-if00", "/home/ann/.config/Ostrale Systems/ports/", 4),
              "no COM port leads to /dev/serial/by-id/usb-It's_A1-if00; enter it in the port directory "
              "/home/ann/.config/Ostrale Systems/ports/, for example as COM4:\n"
              "    mkdir -p '/home/ann/.config/Ostrale Systems/ports' && ln -s '/dev/serial/by-id/usb-It'\\''s_A1-if00' "
              "'/home/ann/.config/Ostrale Systems/ports/COM4'");
    EXPECT_NE(UnlistedDeviceMessage("/dev/ttyUSB0", "/p", 0).find("every one from COM1 to COM22 is taken"),
              std::string::npos);
}

// Windows: the device map's names as they are, and a word on the ones the
// window has no button for (their number is not 1 to 22, or not a number).
TEST(ConsoleReport, DeviceMapListingLines)
{
    const struct {
        PortEntry port;
        const char* line;
    } cases[] = {
        {{"COM3", "\\\\.\\COM3"}, "COM3  \\\\.\\COM3"},
        {{"com22", "\\\\.\\com22"}, "com22  \\\\.\\com22"},
        {{"COM23", "\\\\.\\COM23"}, "COM23  \\\\.\\COM23 (not offered: only COM1 to COM22 can be used)"},
        {{"COM0", "\\\\.\\COM0"}, "COM0  \\\\.\\COM0 (not offered: only COM1 to COM22 can be used)"},
        {{"CNCA0", "\\\\.\\CNCA0"}, "CNCA0  \\\\.\\CNCA0 (not offered: only COM1 to COM22 can be used)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDeviceMapListing(c.port), c.line);
}

TEST(ConsoleReport, AccessHintNamesDeviceAndGroup)
{
    EXPECT_EQ(PortAccessHint("/dev/ttyUSB0", "dialout"),
              "hint: /dev/ttyUSB0 is not accessible; add yourself to the dialout group "
              "(sudo usermod -aG dialout $USER) and log in again");
    EXPECT_EQ(PortAccessHint("/dev/pts/4", ""), "hint: /dev/pts/4 is not accessible; only its owner may open it");
}

struct BarCase {
    unsigned done, total;
    const char* units;
    std::optional<uint32_t> msLeft;
    const char* expected;
};

class ProgressBarText : public ::testing::TestWithParam<BarCase> {};

TEST_P(ProgressBarText, Formats)
{
    const BarCase& c = GetParam();
    EXPECT_EQ(FormatProgressBar(c.done, c.total, c.units, c.msLeft, 10), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressBarText,
    ::testing::Values(BarCase{0, 40, "pages", std::nullopt, "[..........]  0/40 pages  0%  estimating"},
                      BarCase{12, 40, "pages", 42000, "[###.......]  12/40 pages  30%  0:42 left"},
                      BarCase{1, 3, "pages", 61001, "[###.......]  1/3 pages  33%  1:02 left"},   // rounded up
                      BarCase{39, 40, "pages", 1, "[#########.]  39/40 pages  97%  0:01 left"},
                      BarCase{40, 40, "pages", 0, "[##########]  40/40 pages  100%  0:00 left"},
                      BarCase{5, 3, "pages", 0, "[##########]  3/3 pages  100%  0:00 left"},
                      BarCase{12, 340, "rows", 41000, "[..........]  12/340 rows  3%  0:41 left"}));

// Plain output: one line about every tenth of the way, and the last. The
// window shows every second row, so rows arrive two by two.
struct PlainCase {
    const char* name;
    TransferUnit unit;
    int total;
    std::vector<int> updates;   // as handed over: pages from 0, rows from 1
    std::vector<int> shown;     // as counted on the lines
};

void PrintTo(const PlainCase& c, std::ostream* os) { *os << c.name; }

class PlainProgress : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainProgress, PrintsAboutEveryTenthOfTheWay)
{
    const PlainCase& c = GetParam();
    VirtualTickClock clock;
    std::ostringstream out;
    ProgressReporter progress(out, false, clock);
    for (int n : c.updates)
        progress.Update(c.unit, n, c.total);
    progress.EndLine();
    const std::string what = c.unit == TransferUnit::Page ? "page" : "row";
    std::string expected;
    for (int n : c.shown)
        expected += "Sending hex file " + what + "  " + std::to_string(n) + "  of  " + std::to_string(c.total) + "\n";
    EXPECT_EQ(out.str(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Units, PlainProgress,
    ::testing::Values(PlainCase{"PagesWithAResend", TransferUnit::Page, 20,
                                {0, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
                                {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 20}},
                      PlainCase{"EverySecondRow", TransferUnit::Row, 61,
                                {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32,
                                 34, 36, 38, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 61},
                                {2, 8, 14, 20, 26, 32, 38, 44, 50, 56, 61}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressReporter, TerminalBarEstimatesFromTheAveragePage)
{
    VirtualTickClock clock;
    std::ostringstream out;
    ProgressReporter progress(out, true, clock, 10);
    progress.Update(TransferUnit::Page, 0, 100);
    clock.Advance(1000);
    progress.Update(TransferUnit::Page, 1, 100);
    clock.Advance(2000);
    progress.Update(TransferUnit::Page, 2, 100);   // 1500 ms a page so far, 98 pages left
    EXPECT_EQ(out.str(),
              "\r[..........]  0/100 pages  0%  estimating"
              "\r[..........]  1/100 pages  1%  1:39 left "   // a blank wipes the longer line's end
              "\r[..........]  2/100 pages  2%  2:27 left");
    out.str("");
    progress.Complete();
    EXPECT_EQ(out.str(), "\r[##########]  100/100 pages  100%  0:00 left\n");
    out.str("");
    progress.EndLine();   // the line is already ended
    EXPECT_EQ(out.str(), "");
}

TEST(ProgressReporter, TerminalRowBarEstimatesFromTheFirstRowSeen)
{
    VirtualTickClock clock;
    std::ostringstream out;
    ProgressReporter progress(out, true, clock, 10);
    progress.Update(TransferUnit::Row, 2, 100);   // the window's first line is row 2
    clock.Advance(1000);
    progress.Update(TransferUnit::Row, 4, 100);   // 500 ms a row, 96 rows left
    EXPECT_EQ(out.str(),
              "\r[..........]  2/100 rows  2%  estimating"
              "\r[..........]  4/100 rows  4%  0:48 left ");
    out.str("");
    progress.Complete();
    EXPECT_EQ(out.str(), "\r[##########]  100/100 rows  100%  0:00 left\n");
}

} // namespace
} // namespace tvqx::cli
