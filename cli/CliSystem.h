#pragma once
// What the console program takes from the system it runs on: where the ports
// are, how they are opened, where the saved port lives, and what to tell a
// user who may not open a port. One implementation per system; everything
// else about a run is the same everywhere.

#include "platform/LinuxPortInventory.h"
#include "platform/PortInventory.h"
#include "platform/Profile.h"
#include "serial/PortLayer.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace tvqx::cli {

struct SystemLayers {
    std::unique_ptr<PortInventory> inventory;
    std::unique_ptr<PortLayer> ports;      // may refer to `inventory`
    std::unique_ptr<Profile> profile;      // the window program's settings
    // A hint line for a port device this user may not open, or "".
    std::function<std::string(const std::string& devicePath)> accessHint;
    // n of the COMn that leads to a device given by its path; 0 after
    // telling `err` why there is none. Only where --port takes devices.
    std::function<int(const std::string& devicePath, std::ostream& err)> portOfDevice;
};

SystemLayers OpenSystemLayers();

// --list-ports: each present port on a line of `out`, a note on `err` when
// there is none. Returns the exit status.
int ListSystemPorts(std::ostream& out, std::ostream& err);

#ifndef _WIN32
// --port with a device path: n of the COMn that leads to it, else 0 after
// saying on `err` how to enter it in the port directory.
int PortOfDevice(LinuxPortInventory& inventory, const std::string& devicePath, std::ostream& err);
#endif

// On a Windows console, standard output and error go out as the console's
// own text (UTF-16), so that every script shows; to a file, a pipe or a
// terminal of any other system they go as they are, in UTF-8.
void UseConsoleText();

// Standard output is a terminal (a progress bar can be redrawn in place).
bool StandardOutputIsTerminal();

} // namespace tvqx::cli
