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

// The first line of a sysfs attribute, blanks around it dropped and control
// characters blanked (an adapter's strings are whatever its maker burnt in).
std::string Attribute(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    if (!std::getline(in, line))
        return {};
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    const auto first = line.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// "Maker Product, serial number X" from the USB device above a tty's device:
// an ACM tty hangs off the device's interface, a USB serial tty one level
// further down, so the nearest of the next few directories that names a
// product is the adapter.
std::string AdapterOf(const std::string& ttySysDir)
{
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::canonical(ttySysDir + "/device", ec);
    if (ec)
        return {};
    for (int level = 0; level < 3 && dir.has_relative_path(); ++level, dir = dir.parent_path()) {
        const std::string maker = Attribute(dir / "manufacturer");
        const std::string product = Attribute(dir / "product");
        const std::string serial = Attribute(dir / "serial");
        if (maker.empty() && product.empty() && serial.empty())
            continue;
        std::string name = maker;
        if (!product.empty())
            name += (name.empty() ? "" : " ") + product;
        if (!serial.empty())
            name += (name.empty() ? "serial number " : ", serial number ") + serial;
        return name;
    }
    return {};
}

} // namespace

std::string LinuxPortInventory::KernelTtyName(const std::string& path) const
{
    // Follow the links one at a time: a /dev/serial/by-id name leads to
    // ttyUSB0, which is what sysfs knows it by.
    std::filesystem::path p = path;
    std::error_code ec;
    for (int hop = 0; hop < 16; ++hop) {
        const std::string name = p.filename().string();
        if (!name.empty() && std::filesystem::exists(m_sysClassTty + name + "/device", ec))
            return name;
        if (!std::filesystem::is_symlink(p, ec))
            break;
        const std::filesystem::path target = std::filesystem::read_symlink(p, ec);
        if (ec)
            break;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return {};
}

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

    for (auto& port : ports)
        if (const std::string tty = KernelTtyName(port.devicePath); !tty.empty())
            port.adapter = AdapterOf(m_sysClassTty + tty);

    std::sort(ports.begin(), ports.end(),
              [](const ComPortListing& a, const ComPortListing& b) { return a.number < b.number; });
    return ports;
}

int LinuxPortInventory::NumberOfDevice(const std::string& devicePath)
{
    std::error_code ec;
    const auto device = std::filesystem::canonical(devicePath, ec);
    if (ec)
        return 0;
    for (const auto& port : ListPorts())
        if (port.device == device.string())
            return port.number;
    return 0;
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
