#include "cli/CliProgram.h"

#include "app/ProductInfo.h"
#include "cli/BatchRun.h"
#include "cli/CliOptions.h"
#include "cli/CliSystem.h"
#include "cli/Interrupt.h"
#include "cli/UpdateRun.h"
#include "platform/Directories.h"
#include "platform/PathText.h"
#include "platform/ShellOpen.h"
#include "platform/TickClock.h"
#include "platform/WindowDirectory.h"
#include "serial/WireTrace.h"
#include "ui/headless/HeadlessBackend.h"
#include "update/ProgramServices.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <vector>

namespace tvqx::cli {

namespace {

// A device given by its path runs as the COM port that leads to it, so that
// the window's logic sees what it always sees: a port number. 0 after saying
// on `err` why there is none.
int PortNumberOf(const PortChoice& choice, SystemLayers& system, std::ostream& err)
{
    if (choice.device.empty())
        return choice.number;
    return system.portOfDevice ? system.portOfDevice(choice.device, err) : 0;
}

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
    const int port = options.ports.empty() ? 0 : PortNumberOf(options.ports.front(), system, std::cerr);
    if (!options.ports.empty() && port == 0)
        return kExitNotStarted;
    // No window of this program could take a port handed back by a serial
    // test program, so none is asked to hand one over.
    EmptyWindowDirectory windows;
    // Nothing is opened from the console: the links and the instructions
    // document are the window's business.
    NoShellOpen shell;
    ProgramServices services{ui, clock, ports, *system.inventory, *system.profile, windows, shell};
    services.updateVariant = updateVariant;
    services.linkFrameType = linkFrameType;

    // The firmware beside this program's own file, from whatever folder and
    // however it was started.
    UpdateRunSetup setup{services, ui, ModuleDirectory(), UserTempDirectory(), system.accessHint, {}, {}, {}, {}};
    InstallInterruptHandler();
    setup.cancelRequested = TakeInterruptRequest;
    setup.waitingChanged = SetInterruptCancels;

    Console console{std::cout, std::cerr, StandardOutputIsTerminal()};
    return RunUpdate(setup, port, console);
}

// A unit of a batch: the window's surroundings of a single run, with the
// settings read but never written.
class ConsoleUnit final : public UnitSurroundings {
public:
    ConsoleUnit(SystemLayers& system, int updateVariant, int linkFrameType)
        : m_ui(m_clock), m_settings(*system.profile),
          m_services{m_ui, m_clock, *system.ports, *system.inventory, m_settings, m_windows, m_shell}
    {
        m_services.updateVariant = updateVariant;
        m_services.linkFrameType = linkFrameType;
    }
    ProgramServices& Services() override { return m_services; }
    HeadlessBackend& Ui() override { return m_ui; }

private:
    RealTickClock m_clock;
    HeadlessBackend m_ui;
    ReadOnlySettings m_settings;
    EmptyWindowDirectory m_windows;
    NoShellOpen m_shell;
    ProgramServices m_services;
};

// The COM numbers of a batch in the order given (port order for
// --all-ports), each present and none twice; empty after saying why.
std::vector<int> BatchPorts(const CliOptions& options, SystemLayers& system, std::ostream& err)
{
    std::vector<int> present;
    if (const auto listed = system.inventory->ListSerialDevices())
        for (const PortEntry& entry : *listed)
            if (const int n = ComPortNumber(entry.name))
                present.push_back(n);
    std::sort(present.begin(), present.end());
    present.erase(std::unique(present.begin(), present.end()), present.end());
    if (options.allPorts) {
        if (present.empty())
            err << "tvqx-update-cli: no serial ports found (see --list-ports)\n";
        return present;
    }
    std::vector<int> ports;
    for (const PortChoice& choice : options.ports) {
        const int n = PortNumberOf(choice, system, err);
        if (n == 0)
            return {};
        const std::string name = "COM" + std::to_string(n);
        if (std::find(ports.begin(), ports.end(), n) != ports.end()) {
            err << "tvqx-update-cli: " << name << " named twice"
                << (choice.device.empty() ? "" : " (" + choice.device + " is " + name + ")") << "\n";
            return {};
        }
        if (std::find(present.begin(), present.end(), n) == present.end()) {
            err << "tvqx-update-cli: no such port: " << name << "\n";
            return {};
        }
        ports.push_back(n);
    }
    return ports;
}

int RunBatchNow(const CliOptions& options, int updateVariant, int linkFrameType)
{
    if (!options.tracePath.empty()) {
        std::cerr << "tvqx-update-cli: --trace follows one unit; name one --port with it\n";
        return kExitNotStarted;
    }
    SystemLayers system = OpenSystemLayers();
    const std::vector<int> ports = BatchPorts(options, system, std::cerr);
    if (ports.empty())
        return kExitNotStarted;
    if (std::getenv(kTraceVariable))
        std::cerr << "tvqx-update-cli: " << kTraceVariable << " is left unused: a wire trace follows one unit\n";
    BatchSetup setup;
    setup.makeUnit = [&](int) { return std::make_unique<ConsoleUnit>(system, updateVariant, linkFrameType); };
    setup.programDir = ModuleDirectory();
    setup.tempDir = UserTempDirectory();
    setup.updateVariant = updateVariant;
    setup.accessHint = system.accessHint;
    InstallInterruptHandler();
    setup.interruptRequested = TakeInterruptRequest;
    setup.interruptCancels = SetInterruptCancels;
    return RunBatch(setup, ports, std::cout, std::cerr);
}

} // namespace

int CliProgramMain(int argc, char** argv, int updateVariant, int linkFrameType)
{
    UseConsoleText();
    const CliOptions options = ParseCliOptions(ProgramArguments(argc, argv));
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
    if (options.Batch())
        return RunBatchNow(options, updateVariant, linkFrameType);
    return RunUpdateNow(options, updateVariant, linkFrameType);
}

} // namespace tvqx::cli
