#pragma once
// What the Windows tests share: telling Wine from Windows, a registry key of
// the test's own, and windows of a pretend serial test program that record
// the messages they are posted.

#include "platform/WindowDirectory.h"

#include "platform/Win32Api.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tvqx::win32test {

// The serial test program's handover message and its two requests, written
// out here rather than taken from the program, so that a wrong value there
// shows.
inline constexpr UINT kPortHandover = 0x8065;   // WM_APP + 0x65
inline constexpr uintptr_t kReleasePort = 1001;
inline constexpr uintptr_t kReturnPort = 1002;

// Wine says who it is through an export of its ntdll that Windows lacks.
inline bool RunningUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

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

// Top-level windows owned by a thread of their own, with its own message
// loop, as another program's windows would be. Each records the port
// handover messages it receives.
class TestProgramWindows {
public:
    struct Received {
        uintptr_t wParam;
        intptr_t lParam;
        bool operator==(const Received&) const = default;
    };

    TestProgramWindows();
    ~TestProgramWindows();
    TestProgramWindows(const TestProgramWindows&) = delete;
    TestProgramWindows& operator=(const TestProgramWindows&) = delete;

    // Creates a top-level window (on the windows' thread); returns its index.
    size_t Add(const std::string& title, bool visible = true);
    WindowHandle Handle(size_t index) const;
    // The handover messages window `index` has received so far, once every
    // message posted to the windows before this call has been handled.
    std::vector<Received> ReceivedBy(size_t index);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Loop();
    // Runs `job` on the windows' thread and waits for it.
    void OnThread(std::function<void()> job);

    std::thread m_thread;
    DWORD m_threadId = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<HWND> m_windows;
    std::vector<std::vector<Received>> m_received;
    uint64_t m_jobsDone = 0;
};

} // namespace tvqx::win32test
