#pragma once
// The per-user settings in the registry, laid out the way the application
// framework keeps a program's profile once it has a settings key:
// HKEY_CURRENT_USER\Software\<settings key>\<application name>\<section>,
// each entry an integer value of type REG_DWORD.

#include "platform/Profile.h"

#include <string>

namespace tvqx {

class RegistryProfile final : public Profile {
public:
    // settingsKey: the maker's key ("Ostrale Systems"); applicationName: the
    // program file's name without its extension (ProgramFileTitle()).
    RegistryProfile(std::string settingsKey, std::string applicationName);

    // The entry when it is there as a REG_DWORD; the default otherwise
    // (missing, or of another type or size). Reading creates nothing.
    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) override;
    // Creates the keys down to the section as needed.
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;

    // "Software\<settings key>\<application name>\<section>", under HKEY_CURRENT_USER.
    std::string SectionKeyPath(const std::string& section) const;

private:
    std::string m_settingsKey;
    std::string m_applicationName;
};

// The running program file's name without directory and extension, the name
// the framework gives an application constructed without one.
std::string ProgramFileTitle();

} // namespace tvqx
