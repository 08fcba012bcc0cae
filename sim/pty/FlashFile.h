#pragma once
// The unit's flash as a file, for comparing with the image the program sent.

#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::sim {

// Writes `flash` to `path` aside and renames it into place, so that a reader
// never sees half a flash. False with `reason` set when it could not.
bool WriteFlashFile(const std::string& path, const std::vector<uint8_t>& flash, std::string& reason);

} // namespace tvqx::sim
