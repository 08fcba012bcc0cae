// tvqx-devsim: a Tollvane QX-R unit on a pseudo-terminal, entered as
// a COM port so that the update program can update it without hardware.

#include "platform/Directories.h"
#include "sim/pty/DevsimOptions.h"
#include "sim/pty/PtyHost.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_setupPresses = 0;

void OnStopSignal(int)
{
    g_stop = 1;
}

void OnSetupSignal(int)
{
    g_setupPresses = g_setupPresses + 1;
}

void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // A closed terminal ends the host as cleanly as Ctrl+C: the port entry
    // must not outlive it.
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    // The radio units' Setup button, for a technician at another terminal.
    struct sigaction setup {};
    setup.sa_handler = OnSetupSignal;
    sigemptyset(&setup.sa_mask);
    ::sigaction(SIGUSR1, &setup, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace tvqx::sim;
    const DevsimCommandLine command = ParseDevsimCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (command.outcome == DevsimCommandLine::Outcome::Help) {
        std::cout << DevsimUsage();
        return kDevsimOk;
    }
    if (command.outcome == DevsimCommandLine::Outcome::Error) {
        std::cerr << "tvqx-devsim: " << command.error << "\nTry 'tvqx-devsim --help'.\n";
        return kDevsimUsageError;
    }

    // Caught before the port appears, so that no signal can leave it behind.
    CatchStopSignals();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    PtyHost host(command.options, std::cout);
    std::string error;
    int status = host.Start(tvqx::PortDirectory(), error);
    if (status == kDevsimOk)
        status = host.Run(g_stop, error, &g_setupPresses);
    if (status != kDevsimOk)
        std::cerr << "tvqx-devsim: " << error << "\n";
    return status;
}
