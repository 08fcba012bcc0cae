#pragma once
// Why a port device may not open for this user. Serial devices on Linux
// belong to a group (normally "dialout") whose members may use them; a user
// outside it gets a refusal that the port layer cannot tell from a port in
// use, so the front ends ask here and say what to do.

#include <optional>
#include <string>

namespace tvqx {

struct PortAccessProblem {
    std::string device;   // the device itself, links resolved
    std::string group;    // the group to join; empty when only the owner may use it
};

// A problem when the device behind `devicePath` exists but this user may not
// read and write it; nothing otherwise (no device, or access allowed).
std::optional<PortAccessProblem> FindPortAccessProblem(const std::string& devicePath);

} // namespace tvqx
