// What the console front end prints: fixed forms that scripts read and
// commands that users paste.

#include "cli/ConsoleReport.h"
#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tvqx::cli {
namespace {

TEST(ConsoleReport, PortListingLines)
{
    ComPortListing named{3, "COM3", "/home/ann/.config/Ostrale Systems/ports/COM3", "/dev/pts/5",
                         ComPortListing::Origin::PortDirectory};
    EXPECT_EQ(FormatPortListing(named, "/home/ann"), "COM3  /dev/pts/5 (~/.config/Ostrale Systems/ports/COM3)");
    // Only a whole directory name is shortened.
    EXPECT_EQ(FormatPortListing(named, "/home/an"),
              "COM3  /dev/pts/5 (/home/ann/.config/Ostrale Systems/ports/COM3)");
    ComPortListing adapter{2, "COM2", "/dev/ttyUSB0", "/dev/ttyUSB0", ComPortListing::Origin::UsbAdapter};
    EXPECT_EQ(FormatPortListing(adapter, ""), "COM2  /dev/ttyUSB0 (USB serial adapter)");
    adapter.adapter = "Example Corp USB Serial, serial number A1";
    EXPECT_EQ(FormatPortListing(adapter, ""),
              "COM2  /dev/ttyUSB0 (USB serial adapter: Example Corp USB Serial, serial number A1)");
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

TEST(ConsoleReport, AccessHintNamesDeviceAndGroup)
{
    EXPECT_EQ(PortAccessHint("/dev/ttyUSB0", "dialout"),
              "hint: /dev/ttyUSB0 is not accessible; add yourself to the dialout group "
              "(sudo usermod -aG dialout $USER) and log in again");
    EXPECT_EQ(PortAccessHint("/dev/pts/4", ""), "hint: /dev/pts/4 is not accessible; only its owner may open it");
}

// The bar's edges: the time left rounded up to whole seconds, the share and
// the bar rounded down, a count past the total shown as the total.
TEST(ProgressBarText, RoundsTheTimeUpAndTheShareDown)
{
    EXPECT_EQ(FormatProgressBar(1, 3, "pages", 61001, 10), "[###.......]  1/3 pages  33%  1:02 left");
    EXPECT_EQ(FormatProgressBar(39, 40, "pages", 1, 10), "[#########.]  39/40 pages  97%  0:01 left");
    EXPECT_EQ(FormatProgressBar(5, 3, "pages", 0, 10), "[##########]  3/3 pages  100%  0:00 left");
}

// Plain output: one line about every tenth of the way, and the last. The
// window shows every second row, so rows arrive two by two.
TEST(ProgressReporter, PlainLinesAboutEveryTenthOfTheWay)
{
    const struct {
        TransferUnit unit;
        int total;
        std::vector<int> updates;   // as handed over: pages from 0, rows from 1
        std::vector<int> shown;     // as counted on the lines
    } cases[] = {
        {TransferUnit::Page, 20, {0, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19},
         {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 20}},   // with a page sent again
        {TransferUnit::Row, 61, {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32,
                                 34, 36, 38, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 61},
         {2, 8, 14, 20, 26, 32, 38, 44, 50, 56, 61}},
    };
    for (const auto& c : cases) {
        VirtualTickClock clock;
        std::ostringstream out;
        ProgressReporter progress(out, false, clock);
        for (int n : c.updates)
            progress.Update(c.unit, n, c.total);
        progress.EndLine();
        const std::string what = c.unit == TransferUnit::Page ? "page  " : "row  ";
        std::string expected;
        for (int n : c.shown)
            expected += "Sending hex file " + what + std::to_string(n) + "  of  " + std::to_string(c.total) + "\n";
        EXPECT_EQ(out.str(), expected);
    }
}

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
}

} // namespace
} // namespace tvqx::cli
