#include "cli/Interrupt.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tvqx::cli {

namespace {

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Set in the handler and looked at from the units' threads in a batch:
// atomics, which (lock-free) a handler may touch and other threads may read.
static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> g_cancels = 0;
std::atomic<int> g_requested = 0;
// One past the highest descriptor the program may hold, fixed when the
// handler is installed (sysconf is no call for a signal handler).
int g_descriptorLimit = 1024;

// Only async-signal-safe calls from here on: tcgetattr, ioctl, sigaction
// and raise.

// Dying by a signal skips the port's own close, which gives up the claim to
// sole use that the port puts on its terminal. The kernel closes the port as
// the process ends, but the claim lives on the terminal: left there, it would
// shut out every later opener of a terminal that outlives us (a
// pseudo-terminal, or a serial port another program keeps open). Standard
// input, output and error are the user's and keep whatever they have.
void GiveUpClaimsOnTerminals()
{
    for (int fd = 3; fd < g_descriptorLimit; ++fd) {
        termios settings {};
        if (::tcgetattr(fd, &settings) == 0)
            ::ioctl(fd, TIOCNXCL);
    }
}

void EndAtOnce(int signal)
{
    GiveUpClaimsOnTerminals();
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

extern "C" void OnInterrupt(int signal)
{
    if (signal == SIGINT && g_cancels) {
        g_requested = 1;
        return;
    }
    // Raised inside the handler, the signal stays blocked until the handler
    // returns, and then takes its default action. The calls on the way set
    // errno; the interrupted code gets its own back, should it run on.
    const int savedErrno = errno;
    EndAtOnce(signal);
    errno = savedErrno;
}

} // namespace

void InstallInterruptHandler()
{
    const long limit = ::sysconf(_SC_OPEN_MAX);
    g_descriptorLimit = limit > 0 && limit < 4096 ? static_cast<int>(limit) : 4096;

    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // While one of them is handled the others wait, so that two never give
    // up the claims at once.
    for (int signal : kHandledSignals)
        sigaddset(&action.sa_mask, signal);
    // Output interrupted by the signal carries on.
    action.sa_flags = SA_RESTART;
    for (int signal : kHandledSignals)
        sigaction(signal, &action, nullptr);
}

void SetInterruptCancels(bool cancels)
{
    // Cleared before the request is looked at, so that a Ctrl-C in between
    // is either seen here or ends the program in the handler.
    g_cancels = cancels ? 1 : 0;
    if (!cancels && g_requested.exchange(0) != 0)
        EndAtOnce(SIGINT);
}

bool TakeInterruptRequest()
{
    return g_requested.exchange(0) != 0;
}

} // namespace tvqx::cli
