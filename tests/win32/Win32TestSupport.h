#pragma once
// What the Windows tests share: a registry key of the test's own, and the
// serial test program's messages.

#include "platform/WindowDirectory.h"

#include "platform/Win32Api.h"

#include <cstdint>
#include <random>
#include <string>

namespace tvqx::win32test {

// The serial test program's handover message and its two requests, written
// out here rather than taken from the program, so that a wrong value there
// shows.
inline constexpr UINT kPortHandover = 0x8065;   // WM_APP + 0x65
inline constexpr uintptr_t kReleasePort = 1001;
inline constexpr uintptr_t kReturnPort = 1002;

// HKEY_CURRENT_USER\Software\<name>, a name no other test run uses; removed
// with everything below it at the end.
class ScratchRegistryKey {
public:
    ScratchRegistryKey()
    {
        std::random_device random;
        m_name = "tvqx-test-" + std::to_string(random()) + "-" + std::to_string(::GetCurrentProcessId());
    }
    ~ScratchRegistryKey() { ::RegDeleteTreeA(HKEY_CURRENT_USER, Path().c_str()); }
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;

    const std::string& Name() const { return m_name; }
    std::string Path(const std::string& below = "") const
    {
        return "Software\\" + m_name + (below.empty() ? "" : "\\" + below);
    }

private:
    std::string m_name;
};

} // namespace tvqx::win32test
