#pragma once
// Setting a file's modification time the same way on every system.

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

namespace tvqx::test {

// `when` as the C library counts it (seconds since the epoch, e.g. mktime's).
inline bool SetModificationTime(const std::string& path, std::time_t when)
{
    std::error_code ec;
    const auto sys = std::chrono::system_clock::from_time_t(when);
    std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(sys), ec);
    return !ec;
}

} // namespace tvqx::test
