// Variants 4 and 5: the port is opened and the wake-up wait armed by the
// press, the 256-byte page transfer runs once the boot loader has announced
// itself. What reaches the device and when, how each way out of the wait
// ends, and that the page image never outlives the update.

#include "VariantFixture.h"

#include "update/UpdateTexts.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <tuple>

namespace tvqx::testing {
namespace {

constexpr size_t kPage = 256;

class PageVariants : public VariantFixture {
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
    void Start(int v, size_t bytes, sim::VariantDeviceFaults faults = {})
    {
        Prepare(v, bytes, std::move(faults));
        Press();
    }

    // The image the boot loader must end up with: whole 256-byte pages.
    std::vector<uint8_t> Image() const
    {
        std::vector<uint8_t> image = firmware;
        image.resize((image.size() + kPage - 1) / kPage * kPage, 0xFF);
        return image;
    }

};

// ---------------------------------------------------------------------------
// A whole update, byte by byte and millisecond by millisecond.

struct LineCase {
    int variant;
    uint64_t waitFrom;             // "Cancel Update" shows: the port has settled
    std::vector<uint64_t> polls;   // the tick that finds 0xD0 is the last
    uint64_t entryAt;
    uint32_t afterEntry, afterNumber, afterData, afterChecksum, afterEndMarker;
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
    Prepare(c.variant, 400, faults);   // two pages
    size_t settingsBefore = 0, settingsAfter = 0;
    auto settingsCalls = [&] { return std::count(ports.Calls().begin(), ports.Calls().end(), "SetCommState"); };
    clock.At(clickMs + 500, [&] { settingsBefore = static_cast<size_t>(settingsCalls()); });
    clock.At(clickMs + 501, [&] { settingsAfter = static_cast<size_t>(settingsCalls()); });
    uint64_t waitFrom = 0;
    ui.onControlChanged = [&](CDialog&, int) {
        if (waitFrom == 0 && Status(IDC_BEGIN_UPDATE) == "Cancel Update")
            waitFrom = clock.Now() - clickMs;
    };
    Press();
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
    const std::vector<uint8_t> image = Image();
    uint64_t at = c.entryAt + c.afterEntry;
    for (uint8_t page = 0; page < 2; ++page) {
        add({0, page}, at);
        const std::vector<uint8_t> data(image.begin() + page * kPage, image.begin() + (page + 1) * kPage);
        add(data, at + c.afterNumber);
        uint8_t sum = 0;
        for (uint8_t b : data)
            sum = static_cast<uint8_t>(sum + b);
        add({sum}, at + c.afterNumber + c.afterData);
        at += c.afterNumber + c.afterData + c.afterChecksum;
    }
    add({0xFF, 0xFF}, at);
    EXPECT_EQ(SentBytes(), bytes);
    EXPECT_EQ(SentTimes(), times);
    EXPECT_EQ(waitFrom, c.waitFrom);
    if (c.variant == 5) {
        EXPECT_EQ(settingsAfter, settingsBefore + 1) << "the settings change comes 500 ms after opening";
    }

    // Powered from the press to the end of the transfer; no closing wait.
    ASSERT_EQ(unit.PowerEvents().size(), 2u);
    EXPECT_EQ(unit.PowerEvents()[1].timeMs - clickMs, at + c.afterEndMarker);
    ExpectUpdateSucceeded("Sending hex file page  2  of  2");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].tick - static_cast<uint32_t>(clickMs), at + c.afterEndMarker);
    EXPECT_EQ(std::vector<uint8_t>(unit.Flash().begin(), unit.Flash().begin() + 512), image);
    EXPECT_EQ(ports.LastDcb().BaudRate, 9600u);
    EXPECT_FALSE(ImageExists());
    EXPECT_TRUE(IsIdleWindow());
}

// Variant 4 settles 200 ms, so its ticks fall on the window timer's own
// 500 ms beat; variant 5's start command and settings change take it to
// 700 ms, where the overdue tick comes at once.
INSTANTIATE_TEST_SUITE_P(Variant, PageVariantsLine,
                         ::testing::Values(LineCase{4, 200, {500, 1000, 1500}, 1600, 20, 20, 10, 20, 20},
                                           LineCase{5, 700, {700, 1200, 1700}, 2200, 0, 0, 0, 0, 0}),
                         [](const auto& info) { return "Variant" + std::to_string(info.param.variant); });

// ---------------------------------------------------------------------------
// "Cancel Update": the port closes at once, nothing is shown, and a wake-up
// already reported does not start a transfer. A variant 4 program never
// wakes a unit that waits for the start command: it polls until cancelled.

struct CancelCase {
    const char* name;
    int variant;
    bool awake;               // the wake-up byte has been seen, not yet handled
    bool wantsStartCommand;   // the unit takes polls only after "<#:Z"
};

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class PageVariantsCancel : public PageVariants, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(PageVariantsCancel, ClosesThePortAtOnceWithoutAMessage)
{
    const CancelCase& c = GetParam();
    sim::VariantDeviceFaults faults;
    faults.wakeUp.neverWakes = !c.awake && !c.wantsStartCommand;
    faults.wakeUp.requireStartCommand = c.wantsStartCommand;
    Start(c.variant, 600, faults);
    if (c.awake) {
        RunWindowUntil([&] { return dlg->m_bootLoaderAwake == 1; });
        ASSERT_EQ(ui.PendingMessages(), 1u);   // WM_BOOTLOADER_READY
    } else {
        const uint64_t ms = c.wantsStartCommand ? 10'000 : 1'500;
        RunWindowUntil([&] { return clock.Now() - clickMs >= ms; });
    }
    if (c.wantsStartCommand) {
        EXPECT_EQ(SentBytes(), std::vector<uint8_t>(20, 0xC0));   // a poll on every tick
        EXPECT_TRUE(PollTimes().empty());                          // none of them heard
    }

    // The window's locks while waiting are the row variant's, from the same
    // code; what this wait adds is the page image written before it.
    EXPECT_EQ(Status(IDC_BEGIN_UPDATE), "Cancel Update");
    EXPECT_TRUE(ImageExists());
    EXPECT_TRUE(DevicePowered());

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

INSTANTIATE_TEST_SUITE_P(Wait, PageVariantsCancel,
                         ::testing::Values(CancelCase{"Waiting4", 4, false, false},
                                           CancelCase{"Awake5", 5, true, false},
                                           CancelCase{"UnitWantsTheStartCommand4", 4, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Updates that end in another step's message before any transfer: a port
// that cannot be opened, a HEX file that fails the conversion once the port
// is open (back to Idle through the posted WM_BEGIN_UPDATE), and a HEX file
// removed while waiting (the transfer's own check). Nothing is left behind.

enum class Trouble { PortMissing, InvalidHex, HexRemovedWhileWaiting };

struct EarlyEnd {
    const char* name;
    Trouble trouble;
    const char* text;
    const char* caption;
    UINT type;
    bool openAfterPress;
};

void PrintTo(const EarlyEnd& c, std::ostream* os) { *os << c.name; }

const EarlyEnd kEarlyEnds[] = {
    {"PortMissing", Trouble::PortMissing, "Unable to open serial port COM1     ", "Firmware Update Error",
     MB_ICONEXCLAMATION, false},
    {"InvalidHex", Trouble::InvalidHex, "Invalid firmware hex file.                           ",
     "Firmware Update Error", MB_OK, true},
    {"HexRemovedWhileWaiting", Trouble::HexRemovedWhileWaiting,
     "Unable to open the firmware hex file:     \n     firmware.hex     ", "Tollvane QX-R Update",
     MB_ICONEXCLAMATION, true},
};

class PageVariantsEarlyEnd : public PageVariants,
                             public ::testing::WithParamInterface<std::tuple<EarlyEnd, int>> {};

TEST_P(PageVariantsEarlyEnd, ShowsOnlyThatMessageAndReturnsToIdle)
{
    const auto& [c, variant] = GetParam();
    Prepare(variant, 600);
    if (c.trouble == Trouble::PortMissing)
        ui.Click(*dlg, IDC_COM1);   // listed, but nothing behind it
    if (c.trouble == Trouble::InvalidHex) {
        WriteHexText(":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF01\r\n:00000001FF\r\n");   // bad checksum
        std::ofstream(ImagePath()) << "left over from an earlier run";
    }
    Press();
    EXPECT_EQ(ports.IsOpen(kDevicePort), c.openAfterPress);
    if (c.trouble == Trouble::HexRemovedWhileWaiting)
        std::filesystem::remove(m_programDir + "firmware.hex");
    RunWindow();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, c.text);
    EXPECT_EQ(Boxes()[0].caption, c.caption);
    EXPECT_EQ(Boxes()[0].type, c.type);
    EXPECT_EQ(unit.PowerEvents().size(), c.openAfterPress ? 2u : 0u);
    EXPECT_EQ(unit.pageLoader->EntryCount(), 0u);
    EXPECT_EQ(Status(IDC_RESULT), "");
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_FALSE(ImageExists());
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(Step, PageVariantsEarlyEnd,
                         ::testing::Combine(::testing::ValuesIn(kEarlyEnds), ::testing::Values(4, 5)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + std::to_string(std::get<1>(info.param));
                         });

// ---------------------------------------------------------------------------
// A full 64 KiB image after a slow wake-up, one page resent on the way.
// Variant 4 makes every pass a full one; variant 5 sends the page again at
// once, without progress and without letting the window in.

struct PassCase {
    int variant;
    int progressTexts;   // "Sending hex file page ..." set
    int dispatched;      // window messages taken during the transfer
    int repaints;
};

void PrintTo(const PassCase& c, std::ostream* os) { *os << "variant " << c.variant; }

class PageVariantsPasses : public PageVariants, public ::testing::WithParamInterface<PassCase> {};

TEST_P(PageVariantsPasses, FullImageWithAResentPage)
{
    const PassCase& c = GetParam();
    sim::VariantDeviceFaults faults;
    faults.wakeUp.pollsBeforeWake = 20;
    faults.wakeUp.pollAnswer = {0x55, 0xC0};   // noise before the wake-up byte
    faults.pages.resendsForPage = {{4, 2}};
    Prepare(c.variant, 65536, faults);

    // Once the transfer has begun, clicks on the disabled Refresh button
    // wait in the queue: each message the transfer lets through takes one.
    int progress = 0;
    ui.onControlChanged = [&](CDialog& d, int index) {
        const int id = d.Template().controls[static_cast<size_t>(index)].id;
        if (id == IDC_PROGRESS && Status(id).rfind("Sending hex file page", 0) == 0)
            ++progress;
        if (id == IDC_BOOTLOADER_VERSION && !Status(id).empty())
            for (int i = 0; i < 300; ++i)
                ui.PostClick(*dlg, IDC_REFRESH_PORTS);
    };
    int dispatched = -1, repaints = -1;
    ui.onMessageBox = [&](const MessageBoxRecord&) {
        dispatched = ui.IgnoredClicks();
        repaints = ui.RepaintCount();
    };
    Press();
    const int repaintsBefore = ui.RepaintCount();
    RunWindow();

    const std::vector<uint8_t> sent = SentBytes();
    EXPECT_EQ(std::count(sent.begin(), std::find(sent.begin(), sent.end(), '~'), 0xC0), 21);   // polls
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(Status(IDC_PROGRESS), "Sending hex file page  256  of  256");
    std::vector<uint16_t> pages(256);
    std::iota(pages.begin(), pages.end(), 0);
    pages.insert(pages.begin() + 4, {4, 4});
    EXPECT_EQ(unit.pageLoader->PagesReceived(), pages);
    EXPECT_EQ(unit.Flash(), firmware);
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), kDevicePort);
    EXPECT_FALSE(ImageExists());
    EXPECT_EQ(progress, c.progressTexts);
    EXPECT_EQ(dispatched, c.dispatched);
    EXPECT_EQ(repaints - repaintsBefore, c.repaints);
}

// Variant 4 repaints on the passes of pages 0, 4 (three of them), 8, ...,
// 252; variant 5 on pages 0, 8, ..., 248.
INSTANTIATE_TEST_SUITE_P(Variant, PageVariantsPasses,
                         ::testing::Values(PassCase{4, 258, 258, 66}, PassCase{5, 256, 256, 32}),
                         [](const auto& info) { return "Variant" + std::to_string(info.param.variant); });

// ---------------------------------------------------------------------------
// Failures of the transfer: the row transfer's failure text, the port closed
// and the buttons back before the box, nothing saved, no image left.

struct FailureCase {
    const char* name;
    int variant;
    void (*script)(sim::PageBootLoaderFaults&);
    const char* message;
    uint64_t boxAtMs;   // from the press
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

// The tick at 1000 (variant 4) or 1200 (variant 5) finds the wake-up byte;
// the entry command follows 100 or 500 ms later; variant 4 reads the version
// from 20 ms after it, and its pages take 50 ms each.
const FailureCase kFailures[] = {
    {"NoVersion4", 4, [](auto& f) { f.ignoreEntryCommand = true; }, "No response from the ", 1120 + 3000},
    {"NoVersion5", 5, [](auto& f) { f.ignoreEntryCommand = true; }, "No response from the ", 1700 + 3000},
    {"WrongVersion4", 4, [](auto& f) { f.versionText = "TVQXR-1-4.01"; }, "Invalid version response from the ", 1120},
    {"WrongVersion5", 5, [](auto& f) { f.versionText = "TVQXR-1-4.0"; }, "Invalid version response from the ", 1700},
    {"NoReady4", 4, [](auto& f) { f.omitReady = true; }, "No ready response from the ", 1120 + 2000},
    {"NoReady5", 5, [](auto& f) { f.omitReady = true; }, "No ready response from the ", 1700 + 2000},
    {"WrongReady4", 4, [](auto& f) { f.readyByte = '?'; f.readyAfterWrongByte = true; },
     "Invalid ready response from the ", 1120},
    {"WrongReady5", 5, [](auto& f) { f.readyByte = '?'; }, "Invalid ready response from the ", 1700},
    {"PageUnanswered4", 4, [](auto& f) { f.hangAtPage = 2; }, "No response from the ", 1120 + 2 * 50 + 50 + 3000},
    {"PageUnanswered5", 5, [](auto& f) { f.hangAtPage = 2; }, "No response from the ", 1700 + 3000},
    {"FifthResend4", 4, [](auto& f) { f.resendsForPage = {{1, 5}}; }, "Invalid ready response from the ",
     1120 + 50 * 6},
    {"FifthResend5", 5, [](auto& f) { f.resendsForPage = {{1, 5}}; }, "Invalid ready response from the ", 1700},
};

class PageVariantsFailure : public PageVariants, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PageVariantsFailure, EndsWithItsMessageAndLeavesNothingBehind)
{
    const FailureCase& c = GetParam();
    sim::VariantDeviceFaults faults;
    c.script(faults.pages);
    bool closedAndRestored = false;
    ui.onMessageBox = [&](const MessageBoxRecord&) {
        closedAndRestored = !ports.IsOpen(kDevicePort) && dlg->IsDlgItemEnabled(IDC_COM1);
    };
    Start(c.variant, 1024, faults);
    RunWindow();

    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, std::string(c.message) + "Tollvane QX-R" + ".     " + texts::RowFailureText());
    EXPECT_EQ(Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(Boxes()[0].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(Boxes()[0].tick - static_cast<uint32_t>(clickMs), c.boxAtMs);
    EXPECT_TRUE(closedAndRestored);
    EXPECT_EQ(Status(IDC_RESULT), "Firmware update failed");
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_FALSE(unit.UpdateComplete());
    EXPECT_FALSE(ImageExists());
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(Device, PageVariantsFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tvqx::testing
