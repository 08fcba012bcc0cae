#pragma once
// Why a port device may not open for this user: the one question the
// console front end asks the system itself.

#include <string>

namespace tvqx::cli {

// A hint line when the device behind `devicePath` exists but this user may
// not read and write it; empty otherwise.
std::string PortAccessHintFor(const std::string& devicePath);

} // namespace tvqx::cli
