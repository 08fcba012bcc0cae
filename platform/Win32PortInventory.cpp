#include "platform/Win32PortInventory.h"

#include "platform/Win32RegistryKey.h"

#include <cstring>
#include <utility>

namespace tvqx {

namespace {

// The buffers the scan reads each value into, as announced to the system.
constexpr DWORD kValueNameChars = 501;
constexpr DWORD kValueDataBytes = 51;

} // namespace

RegistryPortInventory::RegistryPortInventory(Root root, std::string subKey)
    : m_root(root), m_subKey(std::move(subKey))
{
}

std::optional<std::vector<PortEntry>> RegistryPortInventory::ListSerialDevices()
{
    RegistryKey key;
    const HKEY root = m_root == Root::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (!key.Open(root, m_subKey.c_str(), KEY_QUERY_VALUE))
        return std::nullopt;

    std::vector<PortEntry> entries;
    for (DWORD index = 0;; ++index) {
        char name[kValueNameChars + 1] = {};
        char data[kValueDataBytes + 1] = {};
        DWORD nameChars = kValueNameChars;
        DWORD dataBytes = kValueDataBytes;
        DWORD type = 0;   // read, not examined: the data is taken as text
        if (::RegEnumValueA(key.Get(), index, name, &nameChars, nullptr, &type, reinterpret_cast<BYTE*>(data),
                            &dataBytes) != ERROR_SUCCESS)
            break;
        // The data need not end in a NUL; the extra byte above holds one.
        const size_t length = strnlen(data, dataBytes);
        const std::string portName(data, length);
        entries.push_back({portName, "\\\\.\\" + portName});
    }
    return entries;
}

} // namespace tvqx
