#pragma once
// What an update tells whoever watches it, beside the status lines and
// message boxes the window shows: that it waits for the unit, how far the
// transfer is, and how the run ended and why. Front ends act on these and
// never read the window's texts back.

namespace tvqx {

enum class TransferUnit { Page, Row };

enum class RunOutcome {
    Updated,
    Failed,
    Cancelled,    // the user ended the wait for the unit, or the rover module dialog
    NotStarted,   // the window cannot offer an update: its firmware files are unusable
};

// Why a run ended as it did, where that is more than its message says.
enum class RunCause {
    None,
    PortNotOpened,      // the run's port would not open
    ImageHeld,          // another copy of the program holds the page image
    FirmwareFileHeld,   // another program held a firmware file as it was read
};

struct RunEnd {
    RunOutcome outcome = RunOutcome::Failed;
    int port = 0;   // the COM number of the run; 0 before a port was chosen
    RunCause cause = RunCause::None;
};

class UpdateObserver {
public:
    virtual ~UpdateObserver() = default;
    // The window began (true) or stopped (false) waiting for the unit's boot
    // loader or for the remote unit's parameters: a wait "Cancel Update" ends.
    virtual void WaitingForUnit(bool waiting) { (void)waiting; }
    // `done` of `total` pages or rows have gone out.
    virtual void Progress(TransferUnit unit, int done, int total)
    {
        (void)unit;
        (void)done;
        (void)total;
    }
    // Told just before the run's last message box, if it has one.
    virtual void RunEnded(const RunEnd& end) { (void)end; }
};

} // namespace tvqx
