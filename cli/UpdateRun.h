#pragma once
// One run of the console front end: the window's own start-up on the
// headless backend, one press of "Begin Update" on the chosen port, the
// window's messages until the update is over, then Done. Everything the
// window shows on the way is printed.

#include "ui/headless/HeadlessBackend.h"
#include "update/ProgramServices.h"

#include <functional>
#include <ostream>
#include <string>

namespace tvqx::cli {

inline constexpr int kExitUpdated = 0;
inline constexpr int kExitFailed = 1;      // the update ran and did not succeed
inline constexpr int kExitNotStarted = 2;  // no update could start
inline constexpr int kExitCancelled = 130; // the wait for the device, or for the remote unit's
                                           // parameters, was cancelled (Ctrl-C)

struct Console {
    std::ostream& out;
    std::ostream& err;
    bool terminal = false;   // `out` is a terminal: draw a progress bar
    // Without a terminal: at most one progress line in this time.
    uint32_t progressIntervalMs = 0;
};

struct UpdateRunSetup {
    ProgramServices& services;   // its `ui` is `ui`
    HeadlessBackend& ui;
    std::string programDir;      // where the firmware files lie, ending in '/'
    std::string tempDir;         // for the page image, ending in '/'
    // A hint line for a port whose device this user may not open, or "".
    std::function<std::string(const std::string& devicePath)> accessHint;
    // Polled while a waiting update procedure waits for the device between
    // messages, and while the rover module dialog waits for the remote
    // unit's parameters: true once for each time the user asked to stop
    // (Ctrl-C), which presses "Cancel Update" as the user of the window would.
    std::function<bool()> cancelRequested;
    // The window began (true) or stopped (false) waiting for the device, or
    // for the remote unit's parameters, in a way "Cancel Update" can end:
    // the time when a stop request is taken.
    std::function<void(bool waiting)> waitingChanged;
    // When given, called where the run would print the window's prompt to
    // wake the device (a batch prints it once for all its units).
    std::function<void()> showWakePrompt;
    // Each message box the window shows, as it is printed.
    std::function<void(const MessageBoxRecord& box)> boxShown;
};

// Printed below the window's prompt while it waits for the device.
inline constexpr const char* kCancelHint = "Press Ctrl-C to cancel.";

// Printed on the error stream after the window's message that a file could
// not be opened or created, when the reason was that another program held
// it: the window's text would leave the user looking for a missing file or a
// disk problem. Two copies of the program never share a file: the page image
// is held by the copy that sends it until its transfer ends; the firmware
// files only for a moment while a copy reads them. The first note is
// followed by the page image's path.
inline constexpr const char* kImageHeldNote =
    "Another copy of the update program is updating a device with the page image, and holds it until it has "
    "finished; try again then. The page image: ";
inline constexpr const char* kFirmwareFileHeldNote =
    "Another program, most likely another copy of the update program, was reading this firmware file at that "
    "moment; try again.";

// `port` is the COM number to update on, or 0 for the window's preselection;
// the update procedure is `setup.services.updateVariant`. Returns the exit
// status.
int RunUpdate(UpdateRunSetup& setup, int port, Console& console);

} // namespace tvqx::cli
