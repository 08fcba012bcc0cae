// Variant 10's whole updates that succeed: what reaches the device, when, and
// what the window shows afterwards. The page loop with its frame, pauses,
// resends and repaints is variant 4's too (PageVariantsTest).

#include "UpdateFixture.h"

#include <fstream>
#include <iterator>

namespace tvqx::testing {
namespace {

class PageUpdate : public UpdateFixture {
protected:
    // Firmware of `bytes` bytes, the window open with the device's port
    // chosen, then the press; variant 10 runs the whole update within it.
    void Run(size_t bytes, sim::PageBootLoaderFaults faults = {})
    {
        UseVariant(10, {.pages = std::move(faults)});
        WriteFirmwareHex(bytes);
        OpenOnDevicePort();
        Press();
    }
};

TEST_F(PageUpdate, UpdatesTheDeviceOnTimeLockingTheWindowAndLeavesTheImage)
{
    // While it runs, the window takes messages between pages, with the wait
    // cursor; only the chosen port, Refresh and the system menu stay enabled.
    bool checked = false;
    clock.At(kStartMs + 560, [&] {
        checked = true;
        EXPECT_FALSE(dlg->IsAtRest());
        EXPECT_EQ(ui.WaitCursorDepth(), 1);
        for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_CONTACT_INFO, IDC_COM1})
            EXPECT_FALSE(dlg->IsDlgItemEnabled(id)) << id;
        for (int id : {IDC_REFRESH_PORTS, IDC_COM3})
            EXPECT_TRUE(dlg->IsDlgItemEnabled(id)) << id;
        EXPECT_TRUE(dlg->GetSystemMenu()->IsEnabled(SC_CLOSE));
        EXPECT_TRUE(dlg->GetSystemMenu()->IsEnabled(IDM_ABOUTBOX));
        EXPECT_EQ(Status(IDC_PROGRESS), "Sending hex file page  2  of  8");
    });
    Run(1000);   // 4 blocks: 1024 bytes, 8 pages
    EXPECT_TRUE(checked);

    ExpectUpdateSucceeded("Sending hex file page  8  of  8");
    std::vector<uint8_t> expected = firmware;
    expected.resize(1024, 0xFF);
    EXPECT_EQ(std::vector<uint8_t>(unit.Flash().begin(), unit.Flash().begin() + 1024), expected);
    EXPECT_EQ(unit.pageLoader->PagesWritten(), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(unit.pageLoader->EndMarkerReceived());
    std::ifstream image(ImagePath(), std::ios::binary);   // the image stays behind
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(image), {}), expected);
    EXPECT_TRUE(IsIdleWindow());
    EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_COM1 + 1));

    // The device answers at once, so the line shows the program's own
    // pauses: 500 ms of power before the entry command, 50 ms a page; the
    // end marker, 20 ms, the goodbye byte at once, and the port is closed.
    const std::vector<uint8_t> sent = SentBytes();
    EXPECT_EQ(std::string(sent.begin(), sent.begin() + 19), "~#&TV-QX-R-205-7.31");
    EXPECT_EQ(SentTimes().front(), 500u);
    EXPECT_EQ(SentTimes().back(), 500u + 8 * 50);
    ASSERT_EQ(unit.PowerEvents().size(), 2u);
    EXPECT_EQ(unit.PowerEvents()[0].timeMs - clickMs, 0u);
    EXPECT_EQ(unit.PowerEvents()[1].timeMs - clickMs, 500u + 8 * 50 + 20);
    EXPECT_EQ(BoxAtMs(), 500u + 8 * 50 + 20);
}

TEST_F(PageUpdate, FullSixtyFourKilobyteImageIsSentWholeToASlowDevice)
{
    // Addresses 0 to 0xFFFF: 512 pages, more than a 16-bit byte count holds;
    // every answer comes just within its time-out, the version in pieces.
    Run(65536, {.responseDelayMs = 2900, .versionPieces = {{5, 0}, {4, 40}, {4, 50}}});
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(Status(IDC_PROGRESS), "Sending hex file page  512  of  512");
    ASSERT_EQ(unit.pageLoader->PagesWritten().size(), 512u);
    EXPECT_EQ(unit.Flash(), firmware);
}

TEST_F(PageUpdate, BeginUpdateDuringARunDoesNotStartASecondRun)
{
    // A click on "Refresh Serial Ports" is dispatched between pages and
    // enables "Begin Update" again; clicking it then must not start a run
    // inside the run.
    clock.At(kStartMs + 600, [&] { ui.PostClick(*dlg, IDC_REFRESH_PORTS); });
    clock.At(kStartMs + 700, [&] { ui.PostClick(*dlg, IDC_BEGIN_UPDATE); });
    Run(1280);
    EXPECT_EQ(unit.pageLoader->EntryCount(), 1u);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
}

TEST_F(PageUpdate, SurvivesTheTickCounterWrappingAndWaitsForAGoodbyeThatNeverComes)
{
    // Start 1.2 s before the 32-bit counter wraps: the run crosses the wrap;
    // the device says nothing after the end marker, which costs the closing
    // wait of a second.
    clock.Advance((uint64_t{1} << 32) - 1200 - kStartMs);
    Run(2048, {.silentAfterEndMarker = true});   // 16 pages
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(SentTimes()[0], 500u);
    EXPECT_EQ(unit.PowerEvents().back().timeMs - clickMs, 500u + 16 * 50 + 20 + 1000);
}

} // namespace
} // namespace tvqx::testing
