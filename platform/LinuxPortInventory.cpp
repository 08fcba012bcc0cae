#include "platform/LinuxPortInventory.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

namespace tvqx {

namespace {

constexpr int kHighestPort = 22;

std::string WithSlash(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

// A kernel tty name: the prefix, then a decimal number and nothing else.
struct TtyName {
    std::string prefix;
    unsigned number = 0;
    std::string name;
};

std::optional<TtyName> ParseTtyName(const std::string& name, const std::string& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::string digits = name.substr(prefix.size());
    // Six digits are far beyond any real device and keep the number in range.
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return TtyName{prefix, static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 10)), name};
}

// Entries of `dir` named prefix + number, for any of the prefixes, in name
// order with the numbers compared as numbers (ttyUSB2 before ttyUSB10).
std::vector<TtyName> NumberedEntries(const std::string& dir, std::initializer_list<const char*> prefixes)
{
    std::vector<TtyName> found;
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec);
    if (ec)
        return found;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const std::string name = it->path().filename().string();
        for (const char* prefix : prefixes) {
            if (auto parsed = ParseTtyName(name, prefix)) {
                found.push_back(*parsed);
                break;
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const TtyName& a, const TtyName& b) {
        return a.prefix != b.prefix ? a.prefix < b.prefix : a.number < b.number;
    });
    return found;
}

bool IsCharacterDevice(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

std::string Resolved(const std::string& path)
{
    std::error_code ec;
    const auto canonical = std::filesystem::canonical(path, ec);
    return ec ? path : canonical.string();
}

// The kernel keeps placeholder ttyS entries for UARTs that are not there;
// those read type 0 (no UART) and have no device behind them.
bool IsPresentUart(const std::string& sysDir)
{
    std::ifstream typeFile(sysDir + "/type");
    long type = 0;
    if (!(typeFile >> type) || type == 0)
        return false;
    std::error_code ec;
    return std::filesystem::exists(sysDir + "/device", ec);
}

} // namespace

LinuxPortInventory::LinuxPortInventory(std::string portDirectory, std::string sysClassTty, std::string devDirectory)
    : m_portDirectory(WithSlash(std::move(portDirectory))),
      m_sysClassTty(WithSlash(std::move(sysClassTty))),
      m_dev(WithSlash(std::move(devDirectory)))
{
}

std::vector<ComPortListing> LinuxPortInventory::ListPorts()
{
    std::vector<ComPortListing> ports;
    std::array<bool, kHighestPort + 1> taken{};
    std::set<std::string> claimed;   // resolved devices that already have a number

    // The user's own names come first and keep their numbers.
    PortDirectoryInventory named(m_portDirectory);
    if (const auto entries = named.ListSerialDevices()) {
        for (const auto& entry : *entries) {
            const int n = ComPortNumber(entry.name);
            if (n == 0 || taken[n])
                continue;
            taken[n] = true;
            const std::string device = Resolved(entry.devicePath);
            claimed.insert(device);
            ports.push_back({n, entry.name, entry.devicePath, device, ComPortListing::Origin::PortDirectory});
        }
    }

    auto addDiscovered = [&](int n, const TtyName& tty, ComPortListing::Origin origin) {
        taken[n] = true;
        const std::string path = m_dev + tty.name;
        const std::string device = Resolved(path);
        claimed.insert(device);
        ports.push_back({n, "COM" + std::to_string(n), path, device, origin});
    };
    auto usable = [&](const TtyName& tty) {
        const std::string path = m_dev + tty.name;
        return IsCharacterDevice(path) && claimed.count(Resolved(path)) == 0;
    };

    // A UART's number is fixed by its place on the machine; if the port
    // directory took that number, the UART is left out rather than moved,
    // so that COM numbers never wander between machines of one kind.
    for (const TtyName& tty : NumberedEntries(m_sysClassTty, {"ttyS"})) {
        const unsigned n = tty.number + 1;
        if (n > kHighestPort || taken[n] || !IsPresentUart(m_sysClassTty + tty.name) || !usable(tty))
            continue;
        addDiscovered(static_cast<int>(n), tty, ComPortListing::Origin::Uart);
    }

    for (const TtyName& tty : NumberedEntries(m_dev, {"ttyACM", "ttyUSB"})) {
        if (!usable(tty))
            continue;
        int n = 1;
        while (n <= kHighestPort && taken[n])
            ++n;
        if (n > kHighestPort)
            break;
        addDiscovered(n, tty, ComPortListing::Origin::UsbAdapter);
    }

    std::sort(ports.begin(), ports.end(),
              [](const ComPortListing& a, const ComPortListing& b) { return a.number < b.number; });
    return ports;
}

std::optional<std::vector<PortEntry>> LinuxPortInventory::ListSerialDevices()
{
    const std::vector<ComPortListing> ports = ListPorts();
    if (ports.empty())
        return std::nullopt;
    std::vector<PortEntry> entries;
    entries.reserve(ports.size());
    for (const auto& port : ports)
        entries.push_back({port.name, port.devicePath});
    return entries;
}

} // namespace tvqx
