#include "cli/UpdateRun.h"

#include "app/Resource.h"
#include "app/TVQX_UpdateApp.h"
#include "app/TVQX_UpdateDlg.h"
#include "cli/ConsoleReport.h"
#include "cli/ProgressBar.h"
#include "update/PageUpdateTexts.h"

#include <cstdio>

namespace tvqx::cli {

namespace {

constexpr const char* kBeginUpdate = "Begin Update";
constexpr const char* kCancelUpdate = "Cancel Update";
constexpr int kStatusLineIds[] = {IDC_FIRMWARE_FILE, IDC_FIRMWARE_VERSION, IDC_BOOTLOADER_VERSION, IDC_PROGRESS,
                                  IDC_RESULT};

// The window is back where a user could press "Begin Update" again: no
// procedure running and none waiting for the device.
bool IsIdle(CTVQX_UpdateDlg& dlg)
{
    return !dlg.IsUpdateRunning() && dlg.m_waitingForBootLoader == 0 &&
           dlg.GetDlgItemText(IDC_BEGIN_UPDATE) == kBeginUpdate && dlg.IsDlgItemEnabled(IDC_BEGIN_UPDATE);
}

std::string CannotOpenText(int port)
{
    char text[96];
    std::snprintf(text, sizeof text, texts::kCannotOpenPort, port);
    return text;
}

class Run {
public:
    Run(UpdateRunSetup& setup, int port, Console& console)
        : m_setup(setup), m_port(port), m_console(console),
          m_progress(console.out, console.terminal, setup.services.clock)
    {
    }

    int Execute()
    {
        HeadlessBackend& ui = m_setup.ui;
        ui.onMessageBox = [this](const MessageBoxRecord& box) { OnMessageBox(box); };
        ui.onControlChanged = [this](CDialog& dialog, int index) { OnControlChanged(dialog, index); };
        ui.onModalStart = [this](CDialog& dialog) { OnModalStart(dialog); };
        CTVQX_UpdateApp app(m_setup.services, m_setup.programDir, m_setup.tempDir);
        app.InitInstance();
        // The hooks point into this run.
        ui.onMessageBox = nullptr;
        ui.onControlChanged = nullptr;
        ui.onModalStart = nullptr;
        return m_status;
    }

private:
    void OnMessageBox(const MessageBoxRecord& box)
    {
        const bool success = box.caption == texts::kUpdateCompleteCaption && box.text == texts::kUpdateCompleteMessage;
        if (success) {
            m_succeeded = true;
            m_progress.Complete();
        } else {
            m_progress.EndLine();
        }
        m_console.out << FormatMessageBox(box.caption, box.text) << std::flush;
        if (m_updatePort != 0 && box.text == CannotOpenText(m_updatePort) && m_setup.accessHint) {
            const std::string hint =
                m_setup.accessHint(m_setup.services.inventory.DevicePath(m_updatePort));
            if (!hint.empty())
                m_console.err << hint << "\n" << std::flush;
        }
    }

    void OnControlChanged(CDialog& dialog, int index)
    {
        const auto& controls = dialog.Template().controls;
        if (dynamic_cast<CTVQX_UpdateDlg*>(&dialog) && index >= 0 && static_cast<size_t>(index) < controls.size() &&
            controls[static_cast<size_t>(index)].id == IDC_PROGRESS)
            m_progress.Update(dialog.GetDlgItemText(IDC_PROGRESS));
    }

    void OnModalStart(CDialog& dialog)
    {
        auto* dlg = dynamic_cast<CTVQX_UpdateDlg*>(&dialog);
        if (!dlg) {
            // Nobody is there to answer another box: close it as it came.
            dialog.EndDialog(IDCANCEL);
            return;
        }
        m_status = Operate(*dlg);
        m_progress.EndLine();
        std::vector<std::string> lines;
        for (int id : kStatusLineIds)
            lines.push_back(dlg->GetDlgItemText(id));
        m_console.out << FormatStatusLines(lines) << std::flush;

        m_setup.ui.Click(*dlg, IDCANCEL);
        // Done is disabled only while an update holds the window, which
        // Operate has waited out; even so, never leave the program hanging.
        if (!dlg->HasEnded())
            dlg->EndDialog(IDCANCEL);
    }

    int Operate(CTVQX_UpdateDlg& dlg)
    {
        HeadlessBackend& ui = m_setup.ui;
        if (m_port != 0) {
            const int button = IDC_COM1 + m_port - 1;
            if (!dlg.IsDlgItemEnabled(button)) {
                m_console.err << "no such port: COM" << m_port << "\n" << std::flush;
                return kExitNotStarted;
            }
            ui.Click(dlg, button);
        }
        // Unusable firmware files: the window has said why already.
        if (!dlg.IsDlgItemEnabled(IDC_BEGIN_UPDATE))
            return kExitNotStarted;
        const int checked = dlg.GetCheckedRadioButton(IDC_COM1, IDC_COM22);
        if (checked == 0) {
            // The window would try "COM-2000"; a script is better told plainly.
            m_console.err << "no serial port to update on (see --list-ports)\n" << std::flush;
            return kExitNotStarted;
        }
        m_updatePort = checked - 2000;

        // The page update runs to its end inside the click; a waiting
        // procedure returns from it and goes on through the window's
        // messages until the window is idle again.
        ui.Click(dlg, IDC_BEGIN_UPDATE);
        while (!IsIdle(dlg)) {
            if (m_setup.cancelRequested && m_setup.cancelRequested() &&
                dlg.GetDlgItemText(IDC_BEGIN_UPDATE) == kCancelUpdate)
                ui.Click(dlg, IDC_BEGIN_UPDATE);
            if (!ui.PumpMessage())
                break;
        }
        return m_succeeded ? kExitUpdated : kExitFailed;
    }

    UpdateRunSetup& m_setup;
    const int m_port;
    Console& m_console;
    ProgressReporter m_progress;
    int m_status = kExitNotStarted;
    int m_updatePort = 0;
    bool m_succeeded = false;
};

} // namespace

int RunUpdate(UpdateRunSetup& setup, int port, Console& console)
{
    return Run(setup, port, console).Execute();
}

} // namespace tvqx::cli
