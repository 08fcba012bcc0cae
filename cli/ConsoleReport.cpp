#include "cli/ConsoleReport.h"

#include "app/PortRange.h"

#include <cstdio>

namespace tvqx::cli {

std::string FormatMessageBox(const std::string& caption, const std::string& text)
{
    return "[" + caption + "]\n" + text + "\n\n";
}

std::string FormatStatusLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines)
        out += line + "\n";
    return out;
}

std::string FormatPortListing(const ComPortListing& port, const std::string& home)
{
    return "COM" + std::to_string(port.number) + "  " + DescribePort(port, home);
}

namespace {

// Quoted for a POSIX shell, so that the command can be pasted as it is.
std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

std::string UnlistedDeviceMessage(const std::string& device, const std::string& portDirectory, int freeNumber)
{
    std::string dir = portDirectory;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    std::string text = "no COM port leads to " + device + "; enter it in the port directory " + dir + "/";
    if (freeNumber == 0)
        return text + " under a COM number freed first (every one from COM1 to COM22 is taken)";
    const std::string entry = dir + "/COM" + std::to_string(freeNumber);
    return text + ", for example as COM" + std::to_string(freeNumber) + ":\n    mkdir -p " + ShellQuoted(dir) +
           " && ln -s " + ShellQuoted(device) + " " + ShellQuoted(entry);
}

std::string FormatDeviceMapListing(const PortEntry& port)
{
    std::string line = port.name + "  " + port.devicePath;
    if (ComNumberAboveRange(port.name) != 0)
        line += std::string(" (out of range: only COM1 to COM22 can be used; renumber it ") + kRenumberSteps + ")";
    else if (ComPortNumber(port.name) == 0)
        line += " (not offered: only COM1 to COM22 can be used)";
    return line;
}

std::string PortAccessHint(const std::string& devicePath, const std::string& group)
{
    if (group.empty())
        return "hint: " + devicePath + " is not accessible; only its owner may open it";
    return "hint: " + devicePath + " is not accessible; add yourself to the " + group +
           " group (sudo usermod -aG " + group + " $USER) and log in again";
}

} // namespace tvqx::cli
