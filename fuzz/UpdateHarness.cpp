#include "fuzz/UpdateHarness.h"

#include "fuzz/FuzzSupport.h"

#include <cstdio>

#include <sys/stat.h>

namespace tvqx::fuzz {

namespace {

std::string MakeDir(const std::string& name)
{
    const std::string dir = ScratchDirectory() + name + "/";
    ::mkdir(dir.c_str(), 0700);
    return dir;
}

void WriteText(const std::string& path, const std::string& text)
{
    WriteBytes(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// Firmware of `size` bytes as HEX text, 16 bytes a record, in a program
// directory of its own with its description file.
std::string ProgramDirFor(size_t size)
{
    const std::string dir = MakeDir("program" + std::to_string(size));
    std::string hex;
    char text[64];
    for (size_t off = 0; off < size; off += 16) {
        const unsigned n = static_cast<unsigned>(std::min<size_t>(16, size - off));
        unsigned sum = n + static_cast<unsigned>(off >> 8) + static_cast<unsigned>(off & 0xFF);
        std::snprintf(text, sizeof text, ":%02X%04X00", n, static_cast<unsigned>(off));
        hex += text;
        for (unsigned i = 0; i < n; ++i) {
            const unsigned byte = static_cast<unsigned>((off + i) * 37 + 11) & 0xFF;
            sum += byte;
            std::snprintf(text, sizeof text, "%02X", byte);
            hex += text;
        }
        std::snprintf(text, sizeof text, "%02X\r\n", (256 - (sum & 0xFF)) & 0xFF);
        hex += text;
    }
    WriteText(dir + "Tollvane-QX-R_with_Rd_Sw_Conn.txt", "QX-R 4.12\r\nfirmware.hex\r\n");
    WriteText(dir + "firmware.hex", hex + ":00000001FF\r\n");
    return dir;
}

} // namespace

UpdateHarness::UpdateHarness(sim::SimDevice& device)
    : ProgramOnVirtualTime(kHarnessStartMs, {{"COM3", "/dev/null"}})
{
    ports.Attach(kHarnessPort, device);
}

void UpdateHarness::Run(const HarnessChoices& choices)
{
    static const std::string small = ProgramDirFor(kFirmwareSizes[0]);
    static const std::string large = ProgramDirFor(kFirmwareSizes[1]);
    static const std::string temp = MakeDir("temp");

    services.updateVariant = choices.variant;
    ui.onModalStart = [this, start = choices.startInDialog](CDialog& dialog) { AnswerRoverDialog(dialog, start); };
    dlg = std::make_unique<CTVQX_UpdateDlg>(services);
    dlg->m_programDir = choices.firmwareSize == kFirmwareSizes[0] ? small : large;
    dlg->m_tempDir = temp;
    ui.Create(*dlg);
    ui.Click(*dlg, IDC_COM3);
    ui.Click(*dlg, IDC_BEGIN_UPDATE);
    RunWindow(kUserPatienceMs);
    if (!UpdateOver()) {
        // The user gives up on a unit that never announces itself (or does
        // so just as the user's patience runs out): "Cancel Update".
        ui.Click(*dlg, IDC_BEGIN_UPDATE);
        RunWindow(kUserPatienceMs);
    }
}

void UpdateHarness::RunWindow(uint64_t limitMs)
{
    const uint64_t end = clock.Now() + limitMs;
    while (!UpdateOver() && clock.Now() < end)
        if (!ui.PumpMessage())
            break;
}

void UpdateHarness::AnswerRoverDialog(CDialog& dialog, bool start)
{
    const uint64_t end = clock.Now() + kUserPatienceMs;
    while (!dialog.HasEnded() && clock.Now() < end) {
        if (start && dialog.IsDlgItemEnabled(IDC_START_UPDATE)) {
            ui.Click(dialog, IDC_START_UPDATE);
            continue;
        }
        if (!ui.PumpMessage())
            break;
    }
    if (!dialog.HasEnded())
        ui.Click(dialog, IDCANCEL);
    FUZZ_CHECK(dialog.HasEnded());
}

bool UpdateHarness::WindowIsIdle() const
{
    return UpdateOver() && !ports.IsOpen(kHarnessPort) && ui.WaitCursorDepth() == 0 &&
           dlg->IsDlgItemEnabled(IDC_BEGIN_UPDATE) && dlg->IsDlgItemEnabled(IDC_COM3);
}

bool UpdateHarness::ReportedSuccess() const
{
    // What the program told and what its window shows must agree.
    const bool shown = ResultText() == "Tollvane QX-R firmware successfully updated";
    FUZZ_CHECK(runs.Updated() == shown);
    return shown;
}

std::string UpdateHarness::ResultText() const
{
    return dlg->GetDlgItemText(IDC_RESULT);
}

} // namespace tvqx::fuzz
