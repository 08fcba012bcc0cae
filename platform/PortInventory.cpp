#include "platform/PortInventory.h"
#include "platform/LinuxPortInventory.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace tvqx {

int ComPortNumber(const std::string& name)
{
    for (int n = 1; n <= 22; ++n) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "COM%d", n);
        const std::string e(expected);
        if (name.size() == e.size() &&
            std::equal(name.begin(), name.end(), e.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == b;
            }))
            return n;
    }
    return 0;
}

std::string PortInventory::DevicePath(int portNumber)
{
    const auto entries = ListSerialDevices();
    if (!entries)
        return {};
    for (const auto& e : *entries)
        if (ComPortNumber(e.name) == portNumber)
            return e.devicePath;
    return {};
}

std::optional<std::vector<PortEntry>> PortDirectoryInventory::ListSerialDevices()
{
    std::error_code ec;
    std::filesystem::directory_iterator it(m_directory, ec);
    if (ec)
        return std::nullopt;
    std::vector<PortEntry> entries;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const std::string path = it->path().string();
        struct stat st {};
        // stat follows the link: what counts is what the entry leads to.
        if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
            continue;
        entries.push_back({it->path().filename().string(), path});
    }
    std::sort(entries.begin(), entries.end(), [](const PortEntry& a, const PortEntry& b) { return a.name < b.name; });
    if (entries.empty())
        return std::nullopt;
    return entries;
}

namespace {

std::string Tilde(const std::string& path, const std::string& home)
{
    if (!home.empty() && home != "/" && path.size() > home.size() && path.compare(0, home.size(), home) == 0 &&
        path[home.size()] == '/')
        return std::string("~").append(path, home.size(), std::string::npos);
    return path;
}

} // namespace

std::string DescribePort(const ComPortListing& port, const std::string& home)
{
    std::string origin;
    switch (port.origin) {
    case ComPortListing::Origin::PortDirectory: origin = Tilde(port.devicePath, home); break;
    case ComPortListing::Origin::Uart: origin = "built-in serial port"; break;
    case ComPortListing::Origin::UsbAdapter: origin = "USB serial adapter"; break;
    }
    if (!port.adapter.empty())
        origin += ": " + port.adapter;
    return port.device + " (" + origin + ")";
}

} // namespace tvqx
