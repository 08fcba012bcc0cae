#include "platform/Win32Profile.h"

#include "platform/PathText.h"
#include "platform/Win32RegistryKey.h"

#include <cstdint>
#include <utility>

namespace tvqx {

RegistryProfile::RegistryProfile(std::string settingsKey, std::string applicationName)
    : m_settingsKey(std::move(settingsKey)), m_applicationName(std::move(applicationName))
{
}

std::string RegistryProfile::SectionKeyPath(const std::string& section) const
{
    return "Software\\" + m_settingsKey + "\\" + m_applicationName + "\\" + section;
}

int RegistryProfile::GetProfileInt(const std::string& section, const std::string& entry, int defaultValue)
{
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, SectionKeyPath(section).c_str(), KEY_QUERY_VALUE))
        return defaultValue;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key.Get(), entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return defaultValue;
    // The profile's integers are unsigned on the way in and out; -1 written
    // comes back as -1.
    return static_cast<int>(static_cast<int32_t>(value));
}

bool RegistryProfile::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, SectionKeyPath(section).c_str(), KEY_SET_VALUE))
        return false;
    const DWORD data = static_cast<DWORD>(value);
    return ::RegSetValueExA(key.Get(), entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof data) == ERROR_SUCCESS;
}

std::string ProgramFileTitle()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string name = Narrow(path, length);
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace tvqx
