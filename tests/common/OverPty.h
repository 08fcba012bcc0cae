#pragma once
// What the tests run through tests/win32/run-over-pty.sh share: the COM port
// it gives the virtual device, and waiting on that device or on a process.

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace tvqx::test {

// The COM number run-over-pty.sh hands over; 0 when run without it.
inline int PortOverPty()
{
    const char* com = std::getenv("TVQX_TEST_COM");
    return com ? std::atoi(com) : 0;
}

// A bound on how long a process or the device may take, not a measurement.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace tvqx::test
