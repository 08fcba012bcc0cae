// Whole updates that succeed: what reaches the device, when, and what the
// window shows afterwards.

#include "UpdateFixture.h"

#include "update/UpdateTexts.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tvqx::testing {
namespace {

class PageUpdate : public UpdateFixture {
protected:
    // Firmware of `bytes` bytes, the window open with the device's port chosen.
    void OpenOnDevicePort(size_t bytes)
    {
        WriteFirmware(FirmwareBytes(bytes));
        Open();
        ui.Click(*dlg, IDC_COM3);
    }
};

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(PageUpdate, UpdatesTheDeviceAndReportsSuccess)
{
    const auto firmware = FirmwareBytes(1000);   // 4 blocks: 1024 bytes, 8 pages
    WriteFirmware(firmware);
    Open();
    ASSERT_TRUE(dlg->IsDlgButtonChecked(IDC_COM1));
    ui.Click(*dlg, IDC_COM1 + kDevicePort - 1);
    RunUpdate();

    ExpectUpdateSucceeded("Sending hex file page  8  of  8");
    std::vector<uint8_t> expected = firmware;
    expected.resize(1024, 0xFF);
    EXPECT_EQ(FlashPrefix(1024), expected);
    EXPECT_EQ(device->PagesWritten(), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(device->EndMarkerReceived());
    EXPECT_EQ(ReadFile(ImagePath()), expected);   // the image stays behind
    EXPECT_FALSE(ports.IsOpen(kDevicePort));
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
    for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_CONTACT_INFO, IDC_REFRESH_PORTS, IDC_COM1, IDC_COM3})
        EXPECT_TRUE(dlg->IsDlgItemEnabled(id)) << id;
    EXPECT_FALSE(dlg->IsDlgItemEnabled(IDC_COM1 + 1));
}

TEST_F(PageUpdate, BytesAndPausesOnTheLine)
{
    OpenOnDevicePort(256);   // the smallest image: two pages
    RunUpdate();

    // Entry command, then per page: number (2), data (128), checksum (1);
    // then the end marker.
    const std::vector<uint8_t> line = LineBytes();
    ASSERT_EQ(line.size(), 19u + 2 * 131 + 2);
    EXPECT_EQ(std::string(line.begin(), line.begin() + 19), "~#&TV-QX-R-205-7.31");
    const auto image = ReadFile(ImagePath());
    for (int page = 0; page < 2; ++page) {
        const size_t at = 19 + page * 131;
        EXPECT_EQ(line[at], 0);
        EXPECT_EQ(line[at + 1], page);
        uint8_t sum = 0;
        for (int i = 0; i < 128; ++i) {
            EXPECT_EQ(line[at + 2 + i], image[page * 128 + i]);
            sum = static_cast<uint8_t>(sum + image[page * 128 + i]);
        }
        EXPECT_EQ(line[at + 130], sum);
    }
    EXPECT_EQ(line[line.size() - 2], 0xFF);
    EXPECT_EQ(line[line.size() - 1], 0xFF);

    // The device answers at once, so the line shows exactly the program's
    // own pauses: 500 ms of power before the command; 20 ms after the page
    // number, 10 ms after the data, 20 ms after the checksum.
    const auto t = ArrivalTimes();
    EXPECT_EQ(t[0], 500u);
    EXPECT_EQ(t[18], 500u);
    for (int page = 0; page < 2; ++page) {
        const size_t at = 19 + page * 131;
        const uint64_t start = 500 + 50 * page;
        EXPECT_EQ(t[at], start);
        EXPECT_EQ(t[at + 1], start);
        EXPECT_EQ(t[at + 2], start + 20);
        EXPECT_EQ(t[at + 129], start + 20);
        EXPECT_EQ(t[at + 130], start + 30);
    }
    EXPECT_EQ(t[line.size() - 1], 600u);

    // Powered from the click's port open to the end of the run (end marker,
    // 20 ms, and the goodbye byte at once).
    ASSERT_EQ(device->PowerEvents().size(), 2u);
    EXPECT_EQ(device->PowerEvents()[0].timeMs - clickMs, 0u);
    EXPECT_EQ(device->PowerEvents()[1].timeMs - clickMs, 620u);
    EXPECT_EQ(Boxes()[0].tick - static_cast<uint32_t>(clickMs), 620u);
}

TEST_F(PageUpdate, SilentDeviceAfterTheEndMarkerCostsTheClosingWait)
{
    sim::PageBootLoaderFaults faults;
    faults.silentAfterEndMarker = true;
    UseDevice(faults);
    OpenOnDevicePort(256);
    RunUpdate();
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(device->PowerEvents().back().timeMs - clickMs, 600u + 20 + 1000);
}

TEST_F(PageUpdate, ResendsAPageUntilAcceptedWritingItsProgressEveryPass)
{
    sim::PageBootLoaderFaults faults;
    faults.resendsForPage = {{1, 4}, {2, 1}};   // four resends never end the update
    UseDevice(faults);
    OpenOnDevicePort(512);
    std::vector<std::string> progress;
    ui.onControlChanged = [&](CDialog& dialog, int index) {
        if (dialog.Template().controls[static_cast<size_t>(index)].id == IDC_PROGRESS)
            progress.push_back(dialog.Controls()[static_cast<size_t>(index)].text);
    };
    RunUpdate();
    // Cleared by the press; every pass, a resend too, writes its text.
    std::vector<std::string> expected = {""};
    for (int page : {1, 2, 2, 2, 2, 2, 3, 3, 4})
        expected.push_back("Sending hex file page  " + std::to_string(page) + "  of  4");
    EXPECT_EQ(progress, expected);
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(device->PagesReceived(), (std::vector<uint16_t>{0, 1, 1, 1, 1, 1, 2, 2, 3}));
    EXPECT_EQ(device->PagesWritten(), (std::vector<uint16_t>{0, 1, 2, 3}));
    EXPECT_EQ(FlashPrefix(512), FirmwareBytes(512));
}

TEST_F(PageUpdate, SlowDeviceWithinTheTimeOutsStillSucceeds)
{
    sim::PageBootLoaderFaults faults;
    faults.responseDelayMs = 2900;
    faults.versionPieces = {{5, 0}, {4, 40}, {4, 50}};   // 13 bytes in pieces
    UseDevice(faults);
    OpenOnDevicePort(256);
    RunUpdate();
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
}

TEST_F(PageUpdate, FullSixtyFourKilobyteImageIsSentWhole)
{
    // Addresses 0 to 0xFFFF: 512 pages, more than a 16-bit byte count holds.
    const auto firmware = FirmwareBytes(65536);
    WriteFirmware(firmware);
    Open();
    ui.Click(*dlg, IDC_COM3);
    RunUpdate();
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(Status(IDC_PROGRESS), "Sending hex file page  512  of  512");
    ASSERT_EQ(device->PagesWritten().size(), 512u);
    EXPECT_EQ(device->PagesWritten().back(), 511);
    EXPECT_EQ(device->Flash(), firmware);
}

TEST_F(PageUpdate, RepaintsEveryFourthPassAndKeepsTheWindowAlive)
{
    OpenOnDevicePort(1280);   // 10 pages: passes 0, 4, 8 repaint
    const int before = ui.RepaintCount();
    // A click on "Refresh Serial Ports" in the middle is dispatched between
    // pages and does not disturb the transfer.
    clock.At(kStartMs + 700, [&] { ui.PostClick(*dlg, IDC_REFRESH_PORTS); });
    RunUpdate();
    EXPECT_EQ(ui.RepaintCount() - before, 3);
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
}

TEST_F(PageUpdate, BeginUpdateDuringARunDoesNotStartASecondRun)
{
    OpenOnDevicePort(1280);
    // A refresh between pages enables "Begin Update" again; clicking it
    // then must not start a run inside the run.
    clock.At(kStartMs + 600, [&] { ui.PostClick(*dlg, IDC_REFRESH_PORTS); });
    clock.At(kStartMs + 700, [&] { ui.PostClick(*dlg, IDC_BEGIN_UPDATE); });
    RunUpdate();
    EXPECT_EQ(device->EntryCount(), 1u);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
}

TEST_F(PageUpdate, SurvivesTheTickCounterWrapping)
{
    // Start 1.2 s before the 32-bit counter wraps: the run crosses the wrap.
    clock.Advance((uint64_t{1} << 32) - 1200 - kStartMs);
    OpenOnDevicePort(2048);
    RunUpdate();
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(ArrivalTimes()[0], 500u);
}

} // namespace
} // namespace tvqx::testing
