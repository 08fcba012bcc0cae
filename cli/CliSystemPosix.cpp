#include "cli/CliSystem.h"

#include "cli/ConsoleReport.h"
#include "cli/PortAccess.h"
#include "platform/Directories.h"
#include "platform/LinuxPortInventory.h"
#include "serial/PosixPortLayer.h"

#include <unistd.h>

#include <cstdlib>

namespace tvqx::cli {

SystemLayers OpenSystemLayers()
{
    SystemLayers layers;
    auto inventory = std::make_unique<LinuxPortInventory>(PortDirectory());
    LinuxPortInventory* ports = inventory.get();
    layers.ports = std::make_unique<PosixPortLayer>([ports](int n) { return ports->DevicePath(n); });
    layers.inventory = std::move(inventory);
    layers.profile = std::make_unique<IniFileProfile>(SettingsFilePath());
    layers.accessHint = PortAccessHintFor;
    return layers;
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

} // namespace tvqx::cli
