#include "cli/UpdateRun.h"

#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "app/TVQX_UpdateApp.h"
#include "app/TVQX_UpdateDlg.h"
#include "cli/ConsoleReport.h"
#include "cli/ProgressBar.h"
#include "cli/RoverDialogConsole.h"
#include "firmware/FirmwareTexts.h"

#include <optional>
#include <utility>

namespace tvqx::cli {

namespace {

constexpr int kStatusLineIds[] = {IDC_FIRMWARE_FILE, IDC_FIRMWARE_VERSION, IDC_BOOTLOADER_VERSION, IDC_PROGRESS,
                                  IDC_RESULT};

class Run final : public UpdateObserver {
public:
    Run(UpdateRunSetup& setup, int port, Console& console)
        : m_setup(setup), m_port(port), m_console(console),
          m_progress(console.out, console.terminal, setup.services.clock, 30, console.progressIntervalMs)
    {
    }

    int Execute()
    {
        HeadlessBackend& ui = m_setup.ui;
        ui.onMessageBox = [this](const MessageBoxRecord& box) { OnMessageBox(box); };
        ui.onControlChanged = [this](CDialog& dialog, int index) { OnControlChanged(dialog, index); };
        ui.onModalStart = [this](CDialog& dialog) { OnModalStart(dialog); };
        UpdateObserver* const before = std::exchange(m_setup.services.observer, this);
        CTVQX_UpdateApp app(m_setup.services, m_setup.programDir, m_setup.tempDir);
        app.InitInstance();
        // The hooks point into this run.
        m_setup.services.observer = before;
        ui.onMessageBox = nullptr;
        ui.onControlChanged = nullptr;
        ui.onModalStart = nullptr;
        return m_status;
    }

private:
    // What the update tells.
    void WaitingForUnit(bool waiting) override
    {
        if (waiting) {
            // The window blinks its prompt; a terminal gets it once, with
            // the way out.
            m_progress.EndLine();
            if (m_setup.showWakePrompt)
                m_setup.showWakePrompt();
            else
                m_console.out << product::kWakePrompt << "\n" << kCancelHint << "\n" << std::flush;
        }
        SetCancellable(waiting);
    }

    void Progress(TransferUnit unit, int done, int total) override { m_progress.Update(unit, done, total); }

    void RunEnded(const RunEnd& end) override
    {
        m_end = end;
        if (end.outcome == RunOutcome::Updated)
            m_progress.Complete();
        else
            m_progress.EndLine();
    }

    void OnMessageBox(const MessageBoxRecord& box)
    {
        m_progress.EndLine();
        m_console.out << FormatMessageBox(box.caption, box.text) << std::flush;
        if (m_setup.boxShown)
            m_setup.boxShown(box);
    }

    // What only the system knows about how the run ended, on the error
    // stream once the window has said its part.
    void AddCauseNotes()
    {
        if (!m_end)
            return;
        switch (m_end->cause) {
        case RunCause::PortNotOpened:
            if (m_setup.accessHint) {
                const std::string hint = m_setup.accessHint(m_setup.services.inventory.DevicePath(m_end->port));
                if (!hint.empty())
                    m_console.err << hint << "\n" << std::flush;
            }
            break;
        case RunCause::ImageHeld:
            m_console.err << kImageHeldNote << m_setup.tempDir << texts::kImageFileName << "\n" << std::flush;
            break;
        case RunCause::FirmwareFileHeld:
            m_console.err << kFirmwareFileHeldNote << "\n" << std::flush;
            break;
        case RunCause::None:
            break;
        }
    }

    void OnControlChanged(CDialog& dialog, int index)
    {
        if (dynamic_cast<CRover_Module_ID_Dlg*>(&dialog))
            FollowRoverDialog(dialog, index, m_console.out);
    }

    void SetCancellable(bool cancellable)
    {
        if (cancellable == m_cancellable)
            return;
        m_cancellable = cancellable;
        if (m_setup.waitingChanged)
            m_setup.waitingChanged(cancellable);
    }

    void OnModalStart(CDialog& dialog)
    {
        if (auto* rover = dynamic_cast<CRover_Module_ID_Dlg*>(&dialog)) {
            // The procedure waits in the dialog for the remote unit's
            // parameters: as long as it is open, Ctrl-C is its Cancel Update.
            m_progress.EndLine();
            SetCancellable(true);
            OperateRoverDialog(m_setup.ui, *rover, m_console.out, m_setup.cancelRequested);
            SetCancellable(false);
            return;
        }
        auto* dlg = dynamic_cast<CTVQX_UpdateDlg*>(&dialog);
        if (!dlg) {
            // Nobody is there to answer another box: close it as it came.
            dialog.EndDialog(IDCANCEL);
            return;
        }
        m_status = Operate(*dlg);
        m_progress.EndLine();
        AddCauseNotes();
        // Ctrl-C on a terminal leaves "^C" where the next line would start.
        if (m_status == kExitCancelled && m_console.terminal)
            m_console.out << "\n";
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
        if (m_end && m_end->outcome == RunOutcome::NotStarted)
            return kExitNotStarted;
        if (dlg.GetCheckedRadioButton(IDC_COM1, IDC_COM22) == 0) {
            // The window would try "COM-2000"; a script is better told plainly.
            m_console.err << "no serial port to update on (see --list-ports)\n" << std::flush;
            return kExitNotStarted;
        }

        // A procedure that runs at once ends inside the click; a waiting one
        // returns from it and goes on through the window's messages (the
        // timer polls the device) until the window is at rest again.
        ui.Click(dlg, IDC_BEGIN_UPDATE);
        while (!dlg.IsAtRest()) {
            if (m_cancellable && m_setup.cancelRequested && m_setup.cancelRequested()) {
                // "Cancel Update", as the user of the window would press it.
                ui.Click(dlg, IDC_BEGIN_UPDATE);
                continue;
            }
            if (!ui.PumpMessage())
                break;
        }
        SetCancellable(false);
        if (!m_end)
            return kExitFailed;
        switch (m_end->outcome) {
        case RunOutcome::Updated: return kExitUpdated;
        case RunOutcome::Cancelled: return kExitCancelled;
        default: return kExitFailed;
        }
    }

    UpdateRunSetup& m_setup;
    const int m_port;
    Console& m_console;
    ProgressReporter m_progress;
    int m_status = kExitNotStarted;
    std::optional<RunEnd> m_end;   // how the run (or the window's start) ended
    bool m_cancellable = false;    // as last told to setup.waitingChanged
};

} // namespace

int RunUpdate(UpdateRunSetup& setup, int port, Console& console)
{
    return Run(setup, port, console).Execute();
}

} // namespace tvqx::cli
