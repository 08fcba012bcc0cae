#pragma once
// What the console front end prints, as plain text: scripts read it, so every
// piece has one fixed form.

#include "platform/LinuxPortInventory.h"

#include <optional>
#include <string>
#include <vector>

namespace tvqx::cli {

// A message box: its caption in square brackets on a line of its own, its
// text exactly as the window shows it, then an empty line.
std::string FormatMessageBox(const std::string& caption, const std::string& text);

// The window's status lines, one per line, exactly as shown (empty ones too).
std::string FormatStatusLines(const std::vector<std::string>& lines);

// One line of --list-ports: "COM3  /dev/pts/5 (~/.config/.../ports/COM3)",
// a USB adapter's name after the origin ("(USB serial adapter: Maker
// Product, serial number X)"). `home` (without trailing '/') is written as
// "~" at the start of paths.
std::string FormatPortListing(const ComPortListing& port, const std::string& home);

// --port with a device that no COM port leads to: what is wrong and the
// command that enters it in `portDirectory` as COM`freeNumber` (0: every
// number is taken; then a port has to be removed first).
std::string UnlistedDeviceMessage(const std::string& device, const std::string& portDirectory, int freeNumber);

// One line of --list-ports on Windows, for a port of the serial device map:
// "COM3  \\.\COM3". A port the window cannot offer (its number is not
// 1 to 22) says so, so that the user knows why it is missing there; one
// above COM22 is out of range, with how to renumber it.
std::string FormatDeviceMapListing(const PortEntry& port);

// The hint for a port device the user may not open. `group` is the device's
// group when joining it would help (its members may read and write it),
// empty when it would not.
std::string PortAccessHint(const std::string& devicePath, const std::string& group);

} // namespace tvqx::cli
