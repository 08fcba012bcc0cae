#pragma once
// The time a byte takes across a pseudo-terminal and an answer back, between
// two processes that each sleep until their byte comes. Every row of the row
// update waits for one such round trip (the XON to the updater, the row back
// to the device) that a real serial line would not add: it is the floor of
// what the two programs can do on a pseudo-terminal on this machine.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <optional>

namespace tvqx::bench {

// Mean round trip in microseconds over `count` exchanges, or nothing when
// no pseudo-terminal could be had.
inline std::optional<double> MeasurePtyRoundTripUs(int count)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        if (master >= 0)
            ::close(master);
        return std::nullopt;
    }
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    termios raw {};
    if (slave < 0 || ::tcgetattr(slave, &raw) != 0) {
        ::close(master);
        return std::nullopt;
    }
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);

    const pid_t echo = ::fork();
    if (echo == 0) {
        // The device's part: answer each byte as it comes.
        ::close(master);
        char byte = 0;
        for (int i = 0; i < count; ++i) {
            pollfd p {slave, POLLIN, 0};
            if (::poll(&p, 1, 2000) != 1 || ::read(slave, &byte, 1) != 1 || ::write(slave, &byte, 1) != 1)
                ::_exit(1);
        }
        ::_exit(0);
    }
    ::close(slave);
    std::optional<double> mean;
    if (echo > 0) {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        int done = 0;
        char byte = 'x';
        for (; done < count; ++done) {
            pollfd p {master, POLLIN, 0};
            if (::write(master, &byte, 1) != 1 || ::poll(&p, 1, 2000) != 1 || ::read(master, &byte, 1) != 1)
                break;
        }
        if (done == count)
            mean = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
        int status = 0;
        ::waitpid(echo, &status, 0);
    }
    ::close(master);
    return mean;
}

} // namespace tvqx::bench
