#include "cli/CliSystem.h"

#include "cli/ConsoleReport.h"
#include "platform/Directories.h"
#include "platform/LinuxPortInventory.h"
#include "platform/PortAccess.h"
#include "serial/PosixPortLayer.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>

namespace tvqx::cli {

SystemLayers OpenSystemLayers()
{
    SystemLayers layers;
    auto inventory = std::make_unique<LinuxPortInventory>(PortDirectory());
    LinuxPortInventory* ports = inventory.get();
    layers.ports = std::make_unique<PosixPortLayer>([ports](int n) { return ports->DevicePath(n); });
    layers.inventory = std::move(inventory);
    layers.profile = std::make_unique<IniFileProfile>(SettingsFilePath());
    layers.accessHint = [](const std::string& devicePath) {
        const auto problem = FindPortAccessProblem(devicePath);
        return problem ? PortAccessHint(problem->device, problem->group) : std::string();
    };
    layers.portOfDevice = [ports](const std::string& devicePath, std::ostream& err) {
        return PortOfDevice(*ports, devicePath, err);
    };
    return layers;
}

int PortOfDevice(LinuxPortInventory& inventory, const std::string& devicePath, std::ostream& err)
{
    std::error_code ec;
    if (!std::filesystem::exists(devicePath, ec)) {
        err << "tvqx-update-cli: no such device: " << devicePath << "\n";
        return 0;
    }
    if (const int n = inventory.NumberOfDevice(devicePath))
        return n;
    std::array<bool, 23> taken{};
    for (const auto& port : inventory.ListPorts())
        taken[port.number] = true;
    int free = 1;
    while (free <= 22 && taken[free])
        ++free;
    err << "tvqx-update-cli: "
        << UnlistedDeviceMessage(devicePath, inventory.PortDirectoryPath(), free > 22 ? 0 : free) << "\n";
    return 0;
}

int ListSystemPorts(std::ostream& out, std::ostream& err)
{
    LinuxPortInventory inventory(PortDirectory());
    const auto ports = inventory.ListPorts();
    const char* home = std::getenv("HOME");
    for (const auto& port : ports)
        out << FormatPortListing(port, home ? home : "") << "\n";
    if (ports.empty())
        err << "no serial ports found\n";
    return 0;
}

bool StandardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

void UseConsoleText()
{
    // Terminals here take UTF-8 as it is.
}

} // namespace tvqx::cli
