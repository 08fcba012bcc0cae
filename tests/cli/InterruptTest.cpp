// Ctrl-C in the console front end: a cancel request while the window waits
// for the device, the end of the program at any other time.

#include "cli/Interrupt.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

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

TEST(InterruptDeathTest, OutsideAWaitCtrlCEndsTheProgramAtOnce)
{
    EXPECT_EXIT(
        {
            InstallInterruptHandler();
            SetInterruptCancels(true);
            SetInterruptCancels(false);
            std::raise(SIGINT);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "");
}

// The device woke just as the user pressed Ctrl-C: nothing took the request
// and the transfer that follows cannot be cancelled, so the program ends.
TEST(InterruptDeathTest, RequestLeftUntakenWhenTheWaitEndsEndsTheProgram)
{
    EXPECT_EXIT(
        {
            InstallInterruptHandler();
            SetInterruptCancels(true);
            std::raise(SIGINT);
            SetInterruptCancels(false);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "");
}

} // namespace
} // namespace tvqx::cli
