// Ctrl-C in the console front end: a cancel request while the window waits
// for the device, the end of the program at any other time.

#include "cli/Interrupt.h"

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tvqx::cli {
namespace {

TEST(Interrupt, WhileWaitingCtrlCIsOneCancelRequest)
{
    InstallInterruptHandler();
    SetInterruptCancels(true);
    EXPECT_FALSE(TakeInterruptRequest());
    std::raise(SIGINT);
    std::raise(SIGINT);   // pressed twice: still one cancel
    EXPECT_TRUE(TakeInterruptRequest());
    EXPECT_FALSE(TakeInterruptRequest());
    // Taken, the request does not end the program when the wait is over.
    SetInterruptCancels(false);
    std::signal(SIGINT, SIG_DFL);
}

#ifdef TIOCGEXCL
// Ended by a signal, the program dies by that signal (so no script takes it
// for a success) and leaves its port free: the claim to sole use the port put
// on its terminal does not outlive it.
struct EndCase {
    const char* name;
    int signal;
    bool waiting;   // in the wait that Ctrl-C cancels when the signal comes
};

class InterruptEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(InterruptEnd, DiesByTheSignalAndFreesThePortsTerminal)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int port = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(port, 0);
    ASSERT_EQ(::ioctl(port, TIOCEXCL), 0);

    const pid_t child = ::fork();
    if (child == 0) {
        InstallInterruptHandler();
        SetInterruptCancels(true);   // a wait before it ended, or still going on
        SetInterruptCancels(GetParam().waiting);
        ::raise(GetParam().signal);
        // The wait ends by itself just after a Ctrl-C nothing took: the
        // transfer that follows cannot be cancelled, so the program ends.
        SetInterruptCancels(false);
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam().signal) << status;
    int claimed = -1;
    ASSERT_EQ(::ioctl(port, TIOCGEXCL, &claimed), 0);
    EXPECT_EQ(claimed, 0);
    ::close(port);
    ::close(master);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptEnd,
                         ::testing::Values(EndCase{"CtrlCDuringATransfer", SIGINT, false},
                                           EndCase{"CtrlCLeftUntakenWhenTheWaitEnds", SIGINT, true},
                                           EndCase{"TerminateDuringATransfer", SIGTERM, false},
                                           EndCase{"TerminateDuringTheWait", SIGTERM, true},
                                           EndCase{"HangUpDuringTheWait", SIGHUP, true}),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

} // namespace
} // namespace tvqx::cli
