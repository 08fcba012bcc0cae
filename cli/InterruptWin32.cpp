#include "cli/Interrupt.h"

#include "platform/Win32Api.h"

#include <mutex>

namespace tvqx::cli {

namespace {

// The system calls the handler on a thread of its own, so the state is
// guarded rather than left to signal-safe flags: a Ctrl-C that comes just as
// the wait ends is then either taken as a cancel or ends the program, never
// lost in between.
std::mutex g_mutex;
bool g_cancels = false;
bool g_requested = false;

// What the system's own handler does on Ctrl-C: the process ends with the
// status that says so.
[[noreturn]] void EndAtOnce()
{
    ::ExitProcess(STATUS_CONTROL_C_EXIT);
}

BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event != CTRL_C_EVENT)
        return FALSE;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_cancels)
        return FALSE;   // the next handler, the system's, ends the program
    g_requested = true;
    return TRUE;
}

} // namespace

void InstallInterruptHandler()
{
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void SetInterruptCancels(bool cancels)
{
    bool endNow = false;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_cancels = cancels;
        if (!cancels && g_requested) {
            g_requested = false;
            endNow = true;
        }
    }
    if (endNow)
        EndAtOnce();
}

bool TakeInterruptRequest()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const bool requested = g_requested;
    g_requested = false;
    return requested;
}

} // namespace tvqx::cli
