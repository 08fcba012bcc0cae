// Variants 4 and 5: the port is opened and the wake-up wait armed by the
// press, the 256-byte page transfer runs once the boot loader has announced
// itself. What reaches the device and when, how each way out of the wait
// ends, and that the page image never outlives the update (their failures
// and the ends before the wait are in UpdateFailureTest). The wait itself
// (polls, prompt, locks) is variant 1's, from the same code (RowUpdateTest);
// the page loop with variant 4's settings is variant 10's (PageUpdateTest).

#include "UpdateFixture.h"

#include <algorithm>

namespace tvqx::testing {
namespace {

constexpr size_t kPage = 256;

class PageVariants : public UpdateFixture {
protected:
    // Variant `v` with firmware of `bytes` bytes, the window on COM3; the
    // saved port is COM1 until an update succeeds.
    void Prepare(int v, size_t bytes, sim::VariantDeviceFaults faults = {})
    {
        UseVariant(v, std::move(faults));
        WriteFirmwareHex(bytes);
        profile.WriteProfileInt("Settings", "ComPort", 1);
        OpenOnDevicePort();
    }
};

// ---------------------------------------------------------------------------
// A whole update, byte by byte and millisecond by millisecond, page 4 asked
// for four times more (a fifth ends the update: UpdateFailureTest): variant 4
// sends it again with its progress, a message for the window and a repaint
// (every fourth page) on every pass, as variant 10 does; variant 5 sends it
// again at once, and repaints every eighth page.

constexpr int kPages = 9;

struct LineCase {
    int variant;
    uint64_t waitFrom;             // "Cancel Update" shows: the port has settled
    std::vector<uint64_t> polls;   // the tick that finds 0xD0 is the last
    uint64_t entryAt;
    uint32_t afterEntry, afterNumber, afterData, afterChecksum, afterEndMarker;
    int passes, repaints;          // progress texts and messages taken: one a pass
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << "variant " << c.variant; }

class PageVariantsLine : public PageVariants, public ::testing::WithParamInterface<LineCase> {};

TEST_P(PageVariantsLine, SendsTheImageWithItsPausesAndEndsIdle)
{
    const LineCase& c = GetParam();
    sim::VariantDeviceFaults faults;
    faults.wakeUp.pollsBeforeWake = 2;
    // Variant 5's start command draws an answer; it must be thrown away, or
    // the first tick would take it for the wake-up byte.
    faults.wakeUp.startCommandAnswer = {0xD0};
    faults.pages.resendsForPage = {{4, 4}};
    Prepare(c.variant, kPages * kPage - 100, faults);
    size_t settingsBefore = 0, settingsAfter = 0;
    auto settingsCalls = [&] { return std::count(ports.Calls().begin(), ports.Calls().end(), "SetCommState"); };
    clock.At(clickMs + 500, [&] { settingsBefore = static_cast<size_t>(settingsCalls()); });
    clock.At(clickMs + 501, [&] { settingsAfter = static_cast<size_t>(settingsCalls()); });
    uint64_t waitFrom = 0;
    int progress = 0;
    ui.onControlChanged = [&](CDialog& d, int index) {
        const int id = d.Template().controls[static_cast<size_t>(index)].id;
        if (waitFrom == 0 && Status(IDC_BEGIN_UPDATE) == "Cancel Update")
            waitFrom = clock.Now() - clickMs;
        if (id == IDC_PROGRESS && !Status(id).empty())
            ++progress;
        // Once the transfer has begun, clicks on the disabled Refresh button
        // wait in the queue: each message the transfer lets through takes one.
        if (id == IDC_BOOTLOADER_VERSION && !Status(id).empty())
            for (int i = 0; i < 30; ++i)
                ui.PostClick(*dlg, IDC_REFRESH_PORTS);
    };
    int dispatched = -1, repaints = -1;
    ui.onMessageBox = [&](const MessageBoxRecord&) {
        dispatched = ui.IgnoredClicks();
        repaints = ui.RepaintCount();
    };
    Press();
    const int repaintsBefore = ui.RepaintCount();
    EXPECT_TRUE(ImageExists());   // written while the wait has begun
    RunWindow();

    std::vector<uint8_t> bytes;
    std::vector<uint64_t> times;
    auto add = [&](const std::vector<uint8_t>& b, uint64_t at) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        times.insert(times.end(), b.size(), at);
    };
    if (c.variant == 5)
        add({'<', '#', ':', 'Z'}, 0);
    for (uint64_t at : c.polls)
        add({0xC0}, at);
    const std::string entry = "~#&TV-QX-R-205-7.31";
    add({entry.begin(), entry.end()}, c.entryAt);
    std::vector<uint8_t> image = firmware;
    image.resize(kPages * kPage, 0xFF);
    uint64_t at = c.entryAt + c.afterEntry;
    for (uint8_t page = 0; page < kPages; ++page) {
        for (int pass = 0; pass < (page == 4 ? 5 : 1); ++pass) {
            add({0, page}, at);
            const std::vector<uint8_t> data(image.begin() + page * kPage, image.begin() + (page + 1) * kPage);
            add(data, at + c.afterNumber);
            uint8_t sum = 0;
            for (uint8_t b : data)
                sum = static_cast<uint8_t>(sum + b);
            add({sum}, at + c.afterNumber + c.afterData);
            at += c.afterNumber + c.afterData + c.afterChecksum;
        }
    }
    add({0xFF, 0xFF}, at);
    EXPECT_EQ(SentBytes(), bytes);
    EXPECT_EQ(SentTimes(), times);
    EXPECT_EQ(waitFrom, c.waitFrom);
    if (c.variant == 5) {
        EXPECT_EQ(settingsAfter, settingsBefore + 1) << "the settings change comes 500 ms after opening";
    }
    EXPECT_EQ(progress, c.passes);
    EXPECT_EQ(dispatched, c.passes);
    EXPECT_EQ(repaints - repaintsBefore, c.repaints);

    // Powered from the press to the end of the transfer; no closing wait.
    ASSERT_EQ(unit.PowerEvents().size(), 2u);
    EXPECT_EQ(unit.PowerEvents()[1].timeMs - clickMs, at + c.afterEndMarker);
    ExpectUpdateSucceeded("Sending hex file page  9  of  9");
    EXPECT_EQ(BoxAtMs(), at + c.afterEndMarker);
    EXPECT_EQ(std::vector<uint8_t>(unit.Flash().begin(), unit.Flash().begin() + kPages * kPage), image);
    EXPECT_FALSE(ImageExists());
    EXPECT_TRUE(IsIdleWindow());
}

// Variant 4 settles 200 ms, so its ticks fall on the window timer's own
// 500 ms beat; variant 5's start command and settings change take it to
// 700 ms, where the overdue tick comes at once. Variant 4 repaints on the
// passes of pages 0, 4 (five of them) and 8; variant 5 on pages 0 and 8.
INSTANTIATE_TEST_SUITE_P(Variant, PageVariantsLine,
                         ::testing::Values(LineCase{4, 200, {500, 1000, 1500}, 1600, 20, 20, 10, 20, 20, 13, 7},
                                           LineCase{5, 700, {700, 1200, 1700}, 2200, 0, 0, 0, 0, 0, 9, 2}),
                         [](const auto& info) { return "Variant" + std::to_string(info.param.variant); });

// ---------------------------------------------------------------------------
// "Cancel Update": the port closes at once, nothing is shown, the image goes,
// and a wake-up already reported does not start a transfer.

class PageVariantsCancel : public PageVariants, public ::testing::WithParamInterface<bool> {};

TEST_P(PageVariantsCancel, ClosesThePortAtOnceWithoutAMessage)
{
    const bool awake = GetParam();   // the wake-up byte has been seen, not yet handled
    sim::VariantDeviceFaults faults;
    faults.wakeUp.neverWakes = !awake;
    Prepare(awake ? 5 : 4, 600, faults);
    Press();
    if (awake) {
        RunWindowUntil([&] { return dlg->m_bootLoaderAwake == 1; });
        ASSERT_EQ(ui.PendingMessages(), 1u);   // WM_BOOTLOADER_READY
    } else {
        RunWindowUntil([&] { return clock.Now() - clickMs >= 1'500; });
    }
    EXPECT_TRUE(ImageExists());

    const uint64_t cancelAt = clock.Now();
    Press();   // "Cancel Update"
    EXPECT_FALSE(ports.IsOpen(kDevicePort));
    EXPECT_EQ(unit.PowerEvents().back().timeMs, cancelAt);
    const size_t sent = SentBytes().size();
    RunWindow(3'000);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Status(IDC_RESULT), "");
    EXPECT_FALSE(ImageExists());
    EXPECT_EQ(SentBytes().size(), sent);
    EXPECT_EQ(unit.pageLoader->EntryCount(), 0u);
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_TRUE(IsIdleWindow());

    Press();   // a new wait
    EXPECT_EQ(Status(IDC_BEGIN_UPDATE), "Cancel Update");
    EXPECT_TRUE(ports.IsOpen(kDevicePort));
    EXPECT_TRUE(ImageExists());
}

INSTANTIATE_TEST_SUITE_P(Wait, PageVariantsCancel, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Awake5" : "Waiting4"; });

} // namespace
} // namespace tvqx::testing
