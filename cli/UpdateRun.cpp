#include "cli/UpdateRun.h"

#include "app/CannotOpenPortText.h"
#include "app/FirmwareTexts.h"
#include "app/Resource.h"
#include "app/TVQX_UpdateApp.h"
#include "app/TVQX_UpdateDlg.h"
#include "cli/ConsoleReport.h"
#include "cli/ProgressBar.h"
#include "cli/RoverDialogConsole.h"
#include "platform/File.h"
#include "update/PageUpdateTexts.h"
#include "update/RowUpdateTexts.h"

#include <cstdio>

namespace tvqx::cli {

namespace {

constexpr int kStatusLineIds[] = {IDC_FIRMWARE_FILE, IDC_FIRMWARE_VERSION, IDC_BOOTLOADER_VERSION, IDC_PROGRESS,
                                  IDC_RESULT};

// The window is back where a user could press "Begin Update" again: no
// procedure running and none waiting for the device.
bool IsIdle(CTVQX_UpdateDlg& dlg)
{
    return !dlg.IsUpdateRunning() && dlg.m_waitingForBootLoader == 0 &&
           dlg.GetDlgItemText(IDC_BEGIN_UPDATE) == texts::kBeginUpdateCaption &&
           dlg.IsDlgItemEnabled(IDC_BEGIN_UPDATE);
}

// Waiting for the wake-up byte with "Cancel Update" on offer. Once the byte
// has come the transfer is already posted, and a cancel would only pull the
// port from under it.
bool IsCancellableWait(CTVQX_UpdateDlg& dlg)
{
    return dlg.m_waitingForBootLoader == 1 && dlg.m_bootLoaderAwake == 0 &&
           dlg.GetDlgItemText(IDC_BEGIN_UPDATE) == texts::kCancelUpdateCaption &&
           dlg.IsDlgItemEnabled(IDC_BEGIN_UPDATE);
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
        NoteFileHeldElsewhere(box.text);
        if (m_updatePort != 0 && PortOfCannotOpenText(box.text) == m_updatePort && m_setup.accessHint) {
            const std::string hint =
                m_setup.accessHint(m_setup.services.inventory.DevicePath(m_updatePort));
            if (!hint.empty())
                m_console.err << hint << "\n" << std::flush;
        }
    }

    // These boxes follow the refused open directly, so its reason is still
    // the one on record.
    void NoteFileHeldElsewhere(const std::string& text)
    {
        if (!File::LastOpenFoundItHeld())
            return;
        if (text == texts::kCannotCreateImage || text == texts::kCannotOpenImage) {
            m_console.err << kImageHeldNote << m_setup.tempDir << texts::kImageFileName << "\n" << std::flush;
            return;
        }
        const std::string rowsText = texts::kCannotOpenHexRows;
        const std::string rowsPrefix = rowsText.substr(0, rowsText.find('%'));
        for (const std::string& prefix : {std::string(texts::kCannotOpenFirmware), std::string(texts::kCannotOpenHexFile),
                                          std::string(texts::kCannotOpenDescription), rowsPrefix}) {
            if (text.rfind(prefix, 0) == 0) {
                m_console.err << kFirmwareFileHeldNote << "\n" << std::flush;
                return;
            }
        }
    }

    void OnControlChanged(CDialog& dialog, int index)
    {
        if (dynamic_cast<CRover_Module_ID_Dlg*>(&dialog)) {
            FollowRoverDialog(dialog, index, m_console.out);
            return;
        }
        auto* dlg = dynamic_cast<CTVQX_UpdateDlg*>(&dialog);
        if (!dlg)
            return;
        // The wait flags change together with the window's controls.
        FollowWait(*dlg);
        const auto& controls = dialog.Template().controls;
        if (index >= 0 && static_cast<size_t>(index) < controls.size() &&
            controls[static_cast<size_t>(index)].id == IDC_PROGRESS)
            m_progress.Update(dialog.GetDlgItemText(IDC_PROGRESS));
    }

    // Notes when the window starts and stops waiting for the device. The
    // window blinks its prompt; a terminal gets it once, with the way out.
    void FollowWait(CTVQX_UpdateDlg& dlg)
    {
        const bool waiting = dlg.m_waitingForBootLoader == 1;
        if (waiting && !m_waiting) {
            m_progress.EndLine();
            m_console.out << (dlg.m_wakePrompt.empty() ? kWaitingWithoutPrompt : dlg.m_wakePrompt) << "\n"
                          << kCancelHint << "\n"
                          << std::flush;
        }
        m_waiting = waiting;
        SetCancellable(IsCancellableWait(dlg));
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
            const RoverDialogEnd end = OperateRoverDialog(m_setup.ui, *rover, m_console.out, m_setup.cancelRequested);
            SetCancellable(false);
            if (end == RoverDialogEnd::Cancelled)
                m_roverCancelled = true;
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
        if (!dlg.IsDlgItemEnabled(IDC_BEGIN_UPDATE))
            return kExitNotStarted;
        const int checked = dlg.GetCheckedRadioButton(IDC_COM1, IDC_COM22);
        if (checked == 0) {
            // The window would try "COM-2000"; a script is better told plainly.
            m_console.err << "no serial port to update on (see --list-ports)\n" << std::flush;
            return kExitNotStarted;
        }
        m_updatePort = checked - 2000;

        // A procedure that runs at once ends inside the click; a waiting one
        // returns from it and goes on through the window's messages (the
        // timer polls the device) until the window is idle again.
        bool cancelled = false;
        ui.Click(dlg, IDC_BEGIN_UPDATE);
        for (;;) {
            FollowWait(dlg);
            if (IsIdle(dlg))
                break;
            if (m_cancellable && m_setup.cancelRequested && m_setup.cancelRequested()) {
                cancelled = true;
                ui.Click(dlg, IDC_BEGIN_UPDATE);
                continue;
            }
            if (!ui.PumpMessage())
                break;
        }
        SetCancellable(false);
        if (cancelled || m_roverCancelled)
            return kExitCancelled;
        return m_succeeded ? kExitUpdated : kExitFailed;
    }

    UpdateRunSetup& m_setup;
    const int m_port;
    Console& m_console;
    ProgressReporter m_progress;
    int m_status = kExitNotStarted;
    int m_updatePort = 0;
    bool m_succeeded = false;
    bool m_waiting = false;       // the window's wait flag as last seen
    bool m_cancellable = false;   // as last told to setup.waitingChanged
    bool m_roverCancelled = false;   // Ctrl-C closed the rover module dialog
};

} // namespace

int RunUpdate(UpdateRunSetup& setup, int port, Console& console)
{
    return Run(setup, port, console).Execute();
}

} // namespace tvqx::cli
