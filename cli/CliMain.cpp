// tvqx-update-cli: the firmware update without a window, for a terminal or a
// script. The window's own logic runs on the headless dialog backend with the
// real clock, the real serial ports and the settings the window program uses.

#include "app/ProgramServices.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleReport.h"
#include "cli/PortAccess.h"
#include "cli/UpdateRun.h"
#include "platform/Directories.h"
#include "platform/LinuxPortInventory.h"
#include "platform/Profile.h"
#include "platform/ShellOpen.h"
#include "platform/TickClock.h"
#include "platform/WindowDirectory.h"
#include "serial/PosixPortLayer.h"
#include "ui/headless/HeadlessBackend.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>

using namespace tvqx;
using namespace tvqx::cli;

namespace {

// Set by a SIGINT handler once one is installed (see RunUpdateNow).
volatile std::sig_atomic_t g_interrupted = 0;

int ListPorts()
{
    LinuxPortInventory inventory(PortDirectory());
    const auto ports = inventory.ListPorts();
    const char* home = std::getenv("HOME");
    for (const auto& port : ports)
        std::cout << FormatPortListing(port, home ? home : "") << "\n";
    if (ports.empty())
        std::cerr << "no serial ports found\n";
    return 0;
}

int RunUpdateNow(int port)
{
    RealTickClock clock;
    HeadlessBackend ui(clock);
    LinuxPortInventory inventory(PortDirectory());
    PosixPortLayer ports([&inventory](int n) { return inventory.DevicePath(n); });
    IniFileProfile profile(SettingsFilePath());
    EmptyWindowDirectory windows;
    // Nothing is opened from the console: the links and the instructions
    // document are the window's business.
    RecordingShellOpen shell;
    ProgramServices services{ui, clock, ports, inventory, profile, windows, shell};

    UpdateRunSetup setup{services, ui, ExecutableDirectory(), UserTempDirectory(), PortAccessHintFor, {}};
    // Ctrl-C keeps its default for now: the process ends, the kernel closes
    // the port and the device loses its power, and an interrupted page update
    // is simply run again. An update procedure that waits for the device
    // between messages should rather be cancelled the window's way: install
    // a SIGINT handler that sets g_interrupted, and the message loop turns
    // the flag into a press of "Cancel Update".
    setup.cancelRequested = [] { return g_interrupted != 0; };

    Console console{std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1};
    return RunUpdate(setup, port, console);
}

} // namespace

int main(int argc, char** argv)
{
    const CliOptions options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
    case CliOptions::Action::Help:
        std::cout << UsageText();
        return 0;
    case CliOptions::Action::Invalid:
        std::cerr << "tvqx-update-cli: " << options.error << "\nTry 'tvqx-update-cli --help'.\n";
        return kExitNotStarted;
    case CliOptions::Action::ListPorts:
        return ListPorts();
    case CliOptions::Action::Update:
        break;
    }
    return RunUpdateNow(options.port);
}
