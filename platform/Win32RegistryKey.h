#pragma once
// An open registry key that closes itself (Windows builds only; include it
// after the program's own headers, as Win32Api.h says).

#include "platform/PathText.h"

#include "platform/Win32Api.h"

#include <utility>

namespace tvqx {

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_key = std::exchange(other.m_key, nullptr);
        }
        return *this;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    // Opens an existing key; false (and nothing open) when that fails. The
    // key's path is UTF-8: the application name in it is the program file's.
    bool Open(HKEY root, const char* subKey, REGSAM access)
    {
        Close();
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root, Widen(subKey).c_str(), 0, access, &key) != ERROR_SUCCESS)
            return false;
        m_key = key;
        return true;
    }
    // Opens the key, creating it and any missing parent keys.
    bool Create(HKEY root, const char* subKey, REGSAM access)
    {
        Close();
        HKEY key = nullptr;
        if (::RegCreateKeyExW(root, Widen(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                              &key, nullptr) != ERROR_SUCCESS)
            return false;
        m_key = key;
        return true;
    }
    void Close()
    {
        if (m_key)
            ::RegCloseKey(m_key);
        m_key = nullptr;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

} // namespace tvqx
