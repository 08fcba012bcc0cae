#pragma once
// The COMn entry in the port directory that makes a pseudo-terminal a serial
// port for the update program: a symbolic link to the terminal's device,
// there exactly as long as the device that owns it runs.

#include <string>

namespace tvqx::sim {

class PortLink {
public:
    // Claims COM`comNumber` in `directory` (created, owner-only, when
    // missing) for `target`. An entry that leads nowhere (left by a host that
    // was killed) is replaced; any other entry of that number, in any case,
    // belongs to someone else and is left alone: Claim fails, `error` says
    // why and `taken` is set.
    bool Claim(const std::string& directory, int comNumber, const std::string& target, std::string& error,
               bool& taken);
    // Points the claimed entry at another device in one step, so that the
    // port never goes missing for the program.
    bool Retarget(const std::string& target, std::string& error);
    // Removes the entry if it is still ours.
    void Release();
    ~PortLink() { Release(); }

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::string m_target;
};

// Makes `directory` and any missing parents, the new ones owner-only.
bool MakeDirectories(const std::string& directory, std::string& error);

} // namespace tvqx::sim
