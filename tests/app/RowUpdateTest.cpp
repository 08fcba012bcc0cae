// Variant 1: the wake-up wait carried by the window's timer, then the row
// transfer. What reaches the device and when, what the window shows in each
// state of the wait, and how the wait is cancelled.

#include "UpdateFixture.h"

#include "app/ProductInfo.h"
#include "update/UpdateTexts.h"


namespace tvqx::testing {
namespace {

class RowUpdate : public UpdateFixture {
protected:
    // Variant 1 with firmware whose HEX text has `dataRows` data rows and
    // the end record, the window on COM3.
    void Prepare(size_t dataRows, sim::VariantDeviceFaults faults = {})
    {
        UseVariant(1, std::move(faults));
        WriteFirmwareHex(dataRows * 16);
        OpenOnDevicePort();
    }
};

TEST_F(RowUpdate, WakesTheBootLoaderAndSendsEveryRowAsStoredOnTime)
{
    // Noise before and after the wake-up byte, and answers to the polls.
    Prepare(20, {.wakeUp = {.pollsBeforeWake = 5,
                            .noiseBeforeWake = {0x00, 0xC0, 0xFE},
                            .noiseAfterWake = {'?', 0x11, 0xD0},
                            .pollAnswer = {0x55}}});
    Press();
    RunWindow();

    ExpectUpdateSucceeded("Sending hex file row  21  of  21");
    EXPECT_EQ(unit.rowLoader->RowsReceived(), HexLines());
    EXPECT_EQ(std::vector<uint8_t>(unit.Flash().begin(), unit.Flash().begin() + 320), firmware);
    EXPECT_EQ(dlg->m_hexRowCount, 21);
    EXPECT_EQ(ports.LastDcb().BaudRate, 115200u);
    EXPECT_TRUE(IsIdleWindow());

    // The port opens at the press and settles 200 ms; the timer (500 ms,
    // started with the window) polls on every tick, the fifth poll wakes the
    // device, and the tick after finds 0xD0 behind the noise and polls once
    // more. What followed 0xD0 is cleared; the transfer pauses 100 ms.
    std::string expected = std::string(6, '\xC0') + "~#&TV-QX-R-205-7.31";
    for (const std::string& row : HexLines())
        expected += row;
    const std::vector<uint8_t> sent = SentBytes();
    EXPECT_EQ(std::string(sent.begin(), sent.end()), expected);
    const std::vector<uint64_t> times = SentTimes();
    ASSERT_EQ(times.size(), expected.size());
    for (size_t i = 0; i < times.size(); ++i)
        EXPECT_EQ(times[i], i < 6 ? 500 * (i + 1) : 3100u) << i;   // the device keeps pace with the line
    EXPECT_EQ(unit.PowerEvents().front().timeMs - clickMs, 0u);
}

TEST_F(RowUpdate, BlinksThePromptShownTwoSecondsHiddenHalfASecond)
{
    Prepare(1, {.wakeUp = {.neverWakes = true}});
    std::vector<std::pair<uint64_t, std::string>> shown;
    ui.onControlChanged = [&](CDialog& d, int index) {
        if (d.Template().controls[static_cast<size_t>(index)].id == IDC_RESULT)
            shown.emplace_back(clock.Now() - clickMs, d.GetDlgItemText(IDC_RESULT));
    };
    Press();
    // The result line in the product line's dark red bold while waiting.
    EXPECT_EQ(dlg->GetControlLook(IDC_RESULT), dlg->GetControlLook(IDC_PRODUCT_LINE));
    RunWindow(5'600);
    ui.onControlChanged = nullptr;

    const std::string prompt = product::kWakePrompt;
    const std::vector<std::pair<uint64_t, std::string>> expected = {
        {0, ""}, {200, prompt}, {2000, ""}, {2500, prompt}, {4500, ""}, {5000, prompt}};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(SentBytes(), std::vector<uint8_t>(12, 0xC0));   // a poll on every tick, 500 to 6000

    Press();   // "Cancel Update"
    EXPECT_FALSE(dlg->GetControlLook(IDC_RESULT).custom);
}

TEST_F(RowUpdate, EachStateOfTheWaitLocksWhatItShould)
{
    Prepare(4);
    ASSERT_TRUE(IsIdleWindow());

    Press();   // Waiting
    EXPECT_EQ(dlg->m_waitingForBootLoader, 1);
    EXPECT_EQ(dlg->m_bootLoaderAwake, 0);
    EXPECT_EQ(Status(IDC_BEGIN_UPDATE), "Cancel Update");
    EXPECT_EQ(Status(IDC_RESULT), product::kWakePrompt);
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE));
    EXPECT_TRUE(dlg->IsDlgItemEnabled(IDC_COM3));
    for (int id : {IDC_COM1, IDCANCEL, IDC_CONTACT_INFO, IDC_REFRESH_PORTS})
        EXPECT_FALSE(dlg->IsDlgItemEnabled(id)) << id;
    EXPECT_FALSE(dlg->GetSystemMenu()->IsEnabled(SC_CLOSE));
    EXPECT_FALSE(dlg->GetSystemMenu()->IsEnabled(IDM_ABOUTBOX));
    EXPECT_TRUE(ports.IsOpen(kDevicePort));
    EXPECT_TRUE(DevicePowered());
    EXPECT_EQ(ui.WaitCursorDepth(), 0);

    bool seen = false;   // Transferring, looked at when the first progress shows
    ui.onControlChanged = [&](CDialog& d, int index) {
        if (seen || d.Template().controls[static_cast<size_t>(index)].id != IDC_PROGRESS ||
            d.GetDlgItemText(IDC_PROGRESS).empty())
            return;
        seen = true;
        EXPECT_EQ(dlg->m_waitingForBootLoader, 0);
        EXPECT_EQ(dlg->m_bootLoaderAwake, 0);
        EXPECT_EQ(Status(IDC_BEGIN_UPDATE), "Cancel Update");
        for (int id : {IDC_BEGIN_UPDATE, IDCANCEL, IDC_CONTACT_INFO, IDC_REFRESH_PORTS, IDC_COM1})
            EXPECT_FALSE(dlg->IsDlgItemEnabled(id)) << id;
        EXPECT_FALSE(dlg->GetSystemMenu()->IsEnabled(SC_CLOSE));
        EXPECT_TRUE(ports.IsOpen(kDevicePort));
        EXPECT_GE(ui.WaitCursorDepth(), 1);
    };
    RunWindow();
    ui.onControlChanged = nullptr;
    EXPECT_TRUE(seen);
    EXPECT_TRUE(IsIdleWindow());   // Idle again
}

TEST_F(RowUpdate, ProgressOnEverySecondRowAndTheLastRepaintEveryFiftieth)
{
    Prepare(100);   // 101 rows with the end record
    std::vector<std::string> progress;
    ui.onControlChanged = [&](CDialog& d, int index) {
        if (d.Template().controls[static_cast<size_t>(index)].id == IDC_PROGRESS)
            progress.push_back(d.GetDlgItemText(IDC_PROGRESS));
    };
    Press();
    const int repaintsBefore = ui.RepaintCount();
    RunWindow();
    ui.onControlChanged = nullptr;

    std::vector<std::string> expected = {"", ""};   // cleared at the start and by the transfer
    for (int row = 2; row <= 100; row += 2)
        expected.push_back(texts::FormatText(texts::kSendingRow, row, 101));
    expected.push_back("Sending hex file row  101  of  101");
    EXPECT_EQ(progress, expected);
    EXPECT_EQ(ui.RepaintCount() - repaintsBefore, 2);   // rows 50 and 100
}

} // namespace
} // namespace tvqx::testing
