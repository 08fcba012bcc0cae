// tvqx-devsim hosting the units of the other update variants, driven over a
// real pseudo-terminal the way the update program drives them.

#include "DevsimProcess.h"
#include "UnitBench.h"

#include "sim/BootLoaderEntry.h"
#include "sim/RowBootLoader.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

namespace tvqx::sim::test {
namespace {

void ExpectTraced(const std::string& trace, const std::vector<std::string>& events)
{
    for (const std::string& event : events)
        EXPECT_NE(trace.find(event), std::string::npos) << event << "\n" << trace;
}

TEST(DevsimVariantProcess, RowAppUnitIsAlreadyInItsBootLoaderForWantOfDsr)
{
    ConfigHome home;
    DevsimProcess devsim(home, {"--com", "12", "--variant", "row-app", "--fast"});
    ASSERT_TRUE(WaitFor([&] { return Exists(home.Port(12)); }));
    // The program opens at 9600 and reads the modem status: a
    // pseudo-terminal shows no DSR, so it goes straight to 115200.
    ProgramPort port(home.Port(12), B9600);
    int lines = 0;
    const bool known = ::ioctl(port.Fd(), TIOCMGET, &lines) == 0;
    EXPECT_FALSE(known && (lines & TIOCM_DSR));
    port.SetSpeed(B115200);
    // The host reads the speed when bytes come; give it the moment a UART
    // would take to switch.
    ASSERT_TRUE(WaitFor([&] { return devsim.Trace().find("line speed 115200") != std::string::npos; }));
    port.Write(kBootEntryCommand);
    std::vector<uint8_t> welcome = Bytes(std::string(kBootVersion) + "\r?");
    welcome.push_back(kRowXon);
    EXPECT_EQ(port.Read(welcome.size()), welcome);
    port.Close();
    devsim.Signal(SIGTERM);
    EXPECT_EQ(devsim.Exit(), 0);
    ExpectTraced(devsim.Trace(), {"variant 2 (row-app): the row boot loader at 115200 baud, already running",
                                  "a pseudo-terminal has no DSR", "entry command received"});
}

} // namespace
} // namespace tvqx::sim::test
