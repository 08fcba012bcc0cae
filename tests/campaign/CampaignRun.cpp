#include "CampaignRun.h"

#include "TransferCheck.h"

#include "app/ProductInfo.h"
#include "firmware/FirmwareTexts.h"
#include "tests/app/UpdateFixture.h"
#include "testsupport/ProgramOnVirtualTime.h"
#include "update/UpdateTexts.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

namespace tvqx::campaign {

namespace {

constexpr int kDevicePort = 3;
constexpr int kSavedPortBefore = 1;

// Thrown from the clock when virtual time passes the run's bound: it
// unwinds whatever wait the program was stuck in.
struct RunHung {};

// The program and everything around it, for one run. The window goes first
// on the way out: it may still have its port open to the unit.
struct World : ProgramOnVirtualTime<> {
    explicit World(const RunPlan& plan)
        : ProgramOnVirtualTime(kRunStartMs), unit(sim::MakeDeviceForVariant(plan.variant, plan.device)),
          line(unit.Line(), plan.lineFaults)
    {
        services.updateVariant = plan.variant;
        inventory.Set(std::vector<PortEntry>{{"COM1", "/dev/null"}, {"COM3", "/dev/null"}});
        profile.WriteProfileInt(product::kSettingsSection, product::kComPortEntry, kSavedPortBefore);
        ports.Attach(kDevicePort, line);
    }
    ~World() { CloseWindow(); }

    sim::VariantDevice unit;
    sim::FaultyLine line;
};

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// The user of the radio variants' rover module dialog: Start Update as soon
// as the dialog allows it, Cancel once their patience has run out.
void PlayRoverDialogUser(World& w, uint32_t patienceMs)
{
    auto waiting = std::make_shared<CDialog*>(nullptr);
    w.ui.onModalStart = [&w, waiting, patienceMs](CDialog& dialog) {
        *waiting = &dialog;
        CDialog* shown = &dialog;
        // Posting to a dialog that has ended already does nothing.
        w.clock.At(w.clock.Now() + patienceMs, [&w, shown] { w.ui.PostClick(*shown, IDCANCEL); });
    };
    w.ui.onControlChanged = [&w, waiting](CDialog& dialog, int) {
        if (&dialog == *waiting && dialog.IsDlgItemEnabled(IDC_START_UPDATE)) {
            *waiting = nullptr;
            w.ui.PostClick(dialog, IDC_START_UPDATE);
        }
    };
}

// Presses "Begin Update" and plays the user until the window is at rest:
// a waiting variant whose unit does not wake is cancelled once the user's
// patience runs out.
void PlayUpdate(World& w, const RunPlan& plan, uint64_t pressMs)
{
    CTVQX_UpdateDlg& dlg = *w.dlg;
    w.ui.Click(dlg, IDC_BEGIN_UPDATE);
    bool cancelled = false;
    for (;;) {
        if (dlg.IsWaitingForUnit() && !cancelled && w.clock.Now() - pressMs >= plan.patienceMs) {
            w.ui.Click(dlg, IDC_BEGIN_UPDATE);
            cancelled = true;
            continue;
        }
        if (w.UpdateOver())
            return;
        if (!w.ui.PumpMessage())
            return;
    }
}

void CheckWindowAtRest(World& w, const RunPlan& plan, RunResult& r)
{
    const CTVQX_UpdateDlg& dlg = *w.dlg;
    auto expect = [&r](bool holds, const char* what) {
        if (!holds)
            r.broken.push_back(what);
    };
    expect(dlg.IsAtRest(), "the window is not at rest");
    expect(!w.ports.IsOpen(kDevicePort), "the port is left open");
    for (int id : {IDC_BEGIN_UPDATE, IDC_COM1, IDC_COM3})
        expect(dlg.IsDlgItemEnabled(id), "a control of the idle window is disabled");
    expect(w.ui.WaitCursorDepth() == 0, "the wait cursor is still shown");
    if (!IsRadioVariant(plan.variant)) {
        const auto& power = w.unit.PowerEvents();
        expect(power.empty() || !power.back().on, "the unit is left powered");
    }
    // Only the single-phase page update leaves its image behind.
    const bool imageLeft = std::filesystem::exists(dlg.m_tempDir + texts::kImageFileName);
    expect(imageLeft == (plan.variant == 10), plan.variant == 10 ? "Hex.tmp is gone" : "Hex.tmp is left behind");
    const int saved = w.profile.GetProfileInt(product::kSettingsSection, product::kComPortEntry, 0);
    expect(saved == (r.succeeded ? kDevicePort : kSavedPortBefore),
           r.succeeded ? "the port is not saved after a success" : "the saved port changed without a success");
}

void Judge(World& w, const RunPlan& plan, const std::string& hexText, RunResult& r)
{
    const CTVQX_UpdateDlg& dlg = *w.dlg;
    const bool resultLine = dlg.GetDlgItemText(IDC_RESULT) == texts::kUpdateSucceeded;
    const auto& boxes = w.ui.MessageBoxes();
    const bool box = std::any_of(boxes.begin(), boxes.end(), [](const MessageBoxRecord& b) {
        return b.caption == texts::kUpdateCompleteCaption && b.text == texts::kUpdateCompleteMessage;
    });
    if (resultLine != box)
        r.broken.push_back(resultLine ? "success in the result line without its box"
                                      : "success box without the result line");
    r.succeeded = resultLine && box;
    // The front ends go by what the program tells, not by its texts: both
    // must say the same.
    if (w.runs.ends.size() != 1)
        r.broken.push_back("the run's end was not told exactly once");
    else if (w.runs.Updated() != r.succeeded)
        r.broken.push_back(r.succeeded ? "success shown but not told" : "success told but not shown");

    std::vector<uint8_t> expected(w.unit.Flash().size(), 0xFF);
    std::copy(plan.firmware.begin(), plan.firmware.end(), expected.begin());
    r.flashMatches = w.unit.Flash() == expected;
    r.deviceHeardEnd = w.unit.UpdateComplete();

    const bool rows = IsRowVariant(plan.variant);
    const bool sentWhole = rows ? SentWholeHexInRows(w.line.Written(), hexText)
                                : SentWholeImageInPages(w.line.Written(), PageImage(plan.firmware),
                                                        PageSizeOf(plan.variant));
    const bool spoiled = plan.Noisy() || std::any_of(r.fired.begin(), r.fired.end(), [](const sim::LineFault& f) {
        return sim::AltersData(f.kind);
    });
    if (r.succeeded && !sentWhole)
        r.broken.push_back("success, but the program did not send the firmware whole");
    if (r.succeeded && !r.flashMatches) {
        if (sentWhole && spoiled)
            r.undetectedCorruption = true;
        else
            r.falseSuccess = true;
    }
    if (r.succeeded && r.flashMatches && !r.deviceHeardEnd) {
        // The page boot loader does not answer the end marker; the end of
        // a row transfer is answered, and only a spoiled line can fake that.
        if (!rows)
            r.endMarkerUnheard = true;
        else if (spoiled)
            r.undetectedCorruption = true;
        else
            r.falseSuccess = true;
    }
    r.unacknowledgedUpdate = !r.succeeded && r.flashMatches;
    if (plan.FaultFree() && !(r.succeeded && r.flashMatches && r.deviceHeardEnd))
        r.broken.push_back("a run without faults did not update the unit");
    CheckWindowAtRest(w, plan, r);
}

} // namespace

RunResult RunCampaignRun(const RunPlan& plan, const std::string& programDir, const std::string& tempDir)
{
    const std::string hexText = testing::MakeHex(plan.firmware);
    WriteFile(programDir + "Tollvane-QX-R_with_Rd_Sw_Conn.txt", "QX-R 4.12\r\nfirmware.hex\r\n");
    WriteFile(programDir + "firmware.hex", hexText);
    std::error_code ignored;
    std::filesystem::remove(tempDir + texts::kImageFileName, ignored);

    RunResult r;
    r.seed = plan.seed;
    r.variant = plan.variant;
    r.faultFree = plan.FaultFree();

    World w(plan);
    w.dlg = std::make_unique<CTVQX_UpdateDlg>(w.services);
    w.dlg->m_programDir = programDir;
    w.dlg->m_tempDir = tempDir;
    w.ui.Create(*w.dlg);
    w.ui.Click(*w.dlg, IDC_COM3);
    PlayRoverDialogUser(w, plan.patienceMs);

    const uint64_t pressMs = w.clock.Now();
    auto armed = std::make_shared<bool>(true);
    w.clock.At(pressMs + plan.boundMs, [armed] {
        if (*armed)
            throw RunHung{};
    });
    try {
        PlayUpdate(w, plan, pressMs);
    } catch (const RunHung&) {
        r.hung = true;
    }
    *armed = false;
    r.virtualMs = w.clock.Now() - pressMs;
    r.fired = w.line.Fired();
    if (!r.hung)
        Judge(w, plan, hexText, r);
    w.ui.onModalStart = nullptr;
    w.ui.onControlChanged = nullptr;
    return r;
}

} // namespace tvqx::campaign
