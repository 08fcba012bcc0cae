// tvqx-devsim: a Tollvane QX-R unit on a pseudo-terminal, entered as
// a COM port so that the update program can update it without hardware;
// with --units, several on consecutive COM ports, each hosted on a thread
// of its own with its own line pacing.

#include "platform/Directories.h"
#include "sim/pty/DevsimOptions.h"
#include "sim/pty/PortLink.h"
#include "sim/pty/PtyHost.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>

namespace {

// Set by the signal handlers, read by every unit's thread: atomics, which
// (lock-free) a handler may touch and other threads may read.
static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> g_stop = 0;
std::atomic<int> g_setupPresses = 0;

void OnStopSignal(int)
{
    g_stop = 1;
}

void OnSetupSignal(int)
{
    ++g_setupPresses;
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

    const DevsimOptions& all = command.options;
    // The units' flash folder is there before any unit is.
    std::string folderError;
    if (!all.flashOut.empty() && all.flashOut.back() == '/' && !MakeDirectories(all.flashOut, folderError)) {
        std::cerr << "tvqx-devsim: " << folderError << "\n";
        return kDevsimRuntimeError;
    }
    // Among several units, each line begins with its unit's port, padded
    // so that the times stand in one column.
    const auto port = [&](size_t unit) {
        if (all.units == 1)
            return std::string();
        std::string text = "COM" + std::to_string(all.comNumber + unit) + ": ";
        return text.append(std::to_string(all.comNumber + all.units - 1).size() + 5 - text.size(), ' ');
    };
    std::vector<std::unique_ptr<PtyHost>> hosts;
    for (int unit = 0; unit < all.units; ++unit)
        hosts.push_back(std::make_unique<PtyHost>(UnitOptions(all, all.comNumber + unit), std::cout, port(unit)));
    const auto fail = [&](size_t unit, int status, const std::string& error) {
        const std::string com = all.units == 1 ? "" : "COM" + std::to_string(all.comNumber + unit) + ": ";
        std::cerr << "tvqx-devsim: " + com + error + "\n";
        return status;
    };
    // Every port is claimed before any unit is hosted; those claimed go
    // again with their hosts when one cannot be.
    for (size_t unit = 0; unit < hosts.size(); ++unit) {
        std::string error;
        if (const int status = hosts[unit]->Claim(tvqx::PortDirectory(), error); status != kDevsimOk)
            return fail(unit, status, error);
    }
    for (const auto& host : hosts)
        host->Announce();

    std::vector<int> statuses(hosts.size(), kDevsimOk);
    const auto host = [&](size_t unit) {
        std::string error;
        statuses[unit] = hosts[unit]->Run(g_stop, error, &g_setupPresses);
        if (statuses[unit] != kDevsimOk)
            fail(unit, statuses[unit], error);
    };
    // The first unit is hosted on this thread, which alone takes the
    // signals; the others' threads see the stop at their next look.
    std::vector<std::thread> others;
    {
        sigset_t signals, before;
        sigemptyset(&signals);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
            sigaddset(&signals, signal);
        ::pthread_sigmask(SIG_BLOCK, &signals, &before);
        for (size_t unit = 1; unit < hosts.size(); ++unit)
            others.emplace_back(host, unit);
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    host(0);
    for (std::thread& other : others)
        other.join();
    for (const int status : statuses)
        if (status != kDevsimOk)
            return status;
    return kDevsimOk;
}
