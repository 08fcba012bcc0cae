#pragma once
// One run of the console front end: the window's own start-up on the
// headless backend, one press of "Begin Update" on the chosen port, the
// window's messages until the update is over, then Done. Everything the
// window shows on the way is printed.

#include "app/ProgramServices.h"
#include "ui/headless/HeadlessBackend.h"

#include <functional>
#include <ostream>
#include <string>

namespace tvqx::cli {

inline constexpr int kExitUpdated = 0;
inline constexpr int kExitFailed = 1;      // the update ran and did not succeed
inline constexpr int kExitNotStarted = 2;  // no update could start

struct Console {
    std::ostream& out;
    std::ostream& err;
    bool terminal = false;   // `out` is a terminal: draw a progress bar
};

struct UpdateRunSetup {
    ProgramServices& services;   // its `ui` is `ui`
    HeadlessBackend& ui;
    std::string programDir;      // where the firmware files lie, ending in '/'
    std::string tempDir;         // for the page image, ending in '/'
    // A hint line for a port whose device this user may not open, or "".
    std::function<std::string(const std::string& devicePath)> accessHint;
    // Polled while a waiting update procedure waits for the device between
    // messages: true when the user asked to stop (Ctrl-C), which presses
    // "Cancel Update" as the user of the window would.
    std::function<bool()> cancelRequested;
};

// `port` is the COM number to update on, or 0 for the window's preselection.
// Returns the exit status.
int RunUpdate(UpdateRunSetup& setup, int port, Console& console);

} // namespace tvqx::cli
