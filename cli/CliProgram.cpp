#include "cli/CliProgram.h"

#include "app/ProductInfo.h"
#include "cli/CliOptions.h"
#include "cli/CliSystem.h"
#include "cli/Interrupt.h"
#include "cli/UpdateRun.h"
#include "platform/Directories.h"
#include "platform/ShellOpen.h"
#include "platform/TickClock.h"
#include "platform/WindowDirectory.h"
#include "serial/WireTrace.h"
#include "ui/headless/HeadlessBackend.h"
#include "update/ProgramServices.h"

#include <cstdlib>
#include <iostream>
#include <memory>

namespace tvqx::cli {

namespace {

int RunUpdateNow(const CliOptions& options, int updateVariant, int linkFrameType)
{
    RealTickClock clock;
    HeadlessBackend ui(clock);
    SystemLayers system = OpenSystemLayers();
    // The trace file is made before anything else happens, so that a run
    // whose trace cannot be written never touches the line.
    std::unique_ptr<WireTrace> trace;
    const std::string tracePath = ChooseTracePath(options.tracePath, std::getenv(kTraceVariable));
    if (!tracePath.empty()) {
        PortInventory& inventory = *system.inventory;
        trace = WireTrace::Start(
            tracePath, "tvqx-update-cli", product::kVersion, *system.ports, clock,
            [&inventory](int portNumber) { return inventory.DevicePath(portNumber); }, std::cerr);
        if (!trace)
            return kExitNotStarted;
    }
    PortLayer& ports = trace ? trace->Ports() : *system.ports;
    // A device given by its path runs as the COM port that leads to it, so
    // that the window's logic sees what it always sees: a port number.
    int port = options.port;
    if (!options.portDevice.empty()) {
        port = system.portOfDevice ? system.portOfDevice(options.portDevice, std::cerr) : 0;
        if (port == 0)
            return kExitNotStarted;
    }
    // No window of this program could take a port handed back by a serial
    // test program, so none is asked to hand one over.
    EmptyWindowDirectory windows;
    // Nothing is opened from the console: the links and the instructions
    // document are the window's business.
    NoShellOpen shell;
    ProgramServices services{ui, clock, ports, *system.inventory, *system.profile, windows, shell};
    services.updateVariant = updateVariant;
    services.linkFrameType = linkFrameType;

    UpdateRunSetup setup{services, ui, ExecutableDirectory(), UserTempDirectory(), system.accessHint, {}, {}};
    InstallInterruptHandler();
    setup.cancelRequested = TakeInterruptRequest;
    setup.waitingChanged = SetInterruptCancels;

    Console console{std::cout, std::cerr, StandardOutputIsTerminal()};
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
        return ListSystemPorts(std::cout, std::cerr);
    case CliOptions::Action::Update:
        break;
    }
    if (!TraitsOfVariant(updateVariant).runs) {
        std::cerr << "tvqx-update-cli: built for update procedure " << updateVariant
                  << ", which does nothing (see --help)\n";
        return kExitNotStarted;
    }
    return RunUpdateNow(options, updateVariant, linkFrameType);
}

} // namespace tvqx::cli
