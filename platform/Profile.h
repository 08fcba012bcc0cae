#pragma once
// The per-user settings: integer entries in named sections, the way the
// program reads and writes its saved port.

#include <string>
#include <utility>

namespace tvqx {

class Profile {
public:
    virtual ~Profile() = default;
    virtual int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) = 0;
    virtual bool WriteProfileInt(const std::string& section, const std::string& entry, int value) = 0;
};

// Settings in an INI-style file ("[Section]" lines and "Entry=value" lines),
// the format the window front end's settings library reads and writes too.
// Every call reads the file afresh, so two front ends share one saved port.
class IniFileProfile final : public Profile {
public:
    explicit IniFileProfile(std::string path) : m_path(std::move(path)) {}
    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace tvqx
