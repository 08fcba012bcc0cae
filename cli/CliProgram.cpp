#include "cli/CliProgram.h"

#include "app/ProgramServices.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleReport.h"
#include "cli/Interrupt.h"
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

#include <cstdlib>
#include <iostream>

namespace tvqx::cli {

namespace {

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

int RunUpdateNow(int port, int updateVariant, int linkFrameType)
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
    services.updateVariant = updateVariant;
    services.linkFrameType = linkFrameType;

    UpdateRunSetup setup{services, ui, ExecutableDirectory(), UserTempDirectory(), PortAccessHintFor, {}, {}};
    InstallInterruptHandler();
    setup.cancelRequested = TakeInterruptRequest;
    setup.waitingChanged = SetInterruptCancels;

    Console console{std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1};
    return RunUpdate(setup, port, console);
}

} // namespace

int CliProgramMain(int argc, char** argv, int updateVariant, int linkFrameType)
{
    const CliOptions options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
    case CliOptions::Action::Help:
        std::cout << UsageText(updateVariant);
        return kExitUpdated;
    case CliOptions::Action::Invalid:
        std::cerr << "tvqx-update-cli: " << options.error << "\nTry 'tvqx-update-cli --help'.\n";
        return kExitNotStarted;
    case CliOptions::Action::ListPorts:
        return ListPorts();
    case CliOptions::Action::Update:
        break;
    }
    if (!TraitsOfVariant(updateVariant).runs) {
        std::cerr << "tvqx-update-cli: built for update procedure " << updateVariant
                  << ", which does nothing (see --help)\n";
        return kExitNotStarted;
    }
    return RunUpdateNow(options.port, updateVariant, linkFrameType);
}

} // namespace tvqx::cli
