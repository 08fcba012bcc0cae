#include "cli/Interrupt.h"

#include <csignal>

#include <signal.h>

namespace tvqx::cli {

namespace {

volatile std::sig_atomic_t g_cancels = 0;
volatile std::sig_atomic_t g_requested = 0;

// Only async-signal-safe calls from here on: sigaction and raise.
void EndAtOnce(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

extern "C" void OnInterrupt(int signal)
{
    if (g_cancels) {
        g_requested = 1;
        return;
    }
    // Raised inside the handler, the signal stays blocked until the handler
    // returns, and then takes its default action.
    EndAtOnce(signal);
}

} // namespace

void InstallInterruptHandler()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // Output interrupted by the signal carries on.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

void SetInterruptCancels(bool cancels)
{
    // Cleared before the request is looked at, so that a Ctrl-C in between
    // is either seen here or ends the program in the handler.
    g_cancels = cancels ? 1 : 0;
    if (!cancels && g_requested) {
        g_requested = 0;
        EndAtOnce(SIGINT);
    }
}

bool TakeInterruptRequest()
{
    if (!g_requested)
        return false;
    g_requested = 0;
    return true;
}

} // namespace tvqx::cli
