// tvqx-devsim hosting the units of the other update variants, driven over a
// real pseudo-terminal the way the update program drives them.

#include "DevsimProcess.h"
#include "UnitBench.h"

#include "sim/BootLoaderEntry.h"
#include "sim/PageBootLoader.h"
#include "sim/RowBootLoader.h"
#include "sim/WakeUpFront.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

namespace tvqx::sim::test {
namespace {

// Polls as the program's timer does until the unit answers; what it heard.
std::vector<uint8_t> PollUntilAwake(ProgramPort& port, int maxPolls)
{
    for (int poll = 0; poll < maxPolls; ++poll) {
        port.Write(std::vector<uint8_t>{kWakeUpPoll});
        const std::vector<uint8_t> heard = port.Read(1, 300ms);
        if (!heard.empty())
            return heard;
    }
    return {};
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ExpectTraced(const std::string& trace, const std::vector<std::string>& events)
{
    for (const std::string& event : events)
        EXPECT_NE(trace.find(event), std::string::npos) << event << "\n" << trace;
}

TEST(DevsimVariantProcess, RowWakeUnitWakesTakesRowsAndWritesItsFlash)
{
    ConfigHome home;
    const std::string flash = home.Path() + "flash.bin";
    // Paced: the line runs at 115200 baud as a real one would.
    DevsimProcess devsim(home, {"--com", "10", "--variant", "row-wake", "--polls-before-wake", "3", "--updates",
                                "1", "--flash-out", flash});
    ASSERT_TRUE(WaitFor([&] { return Exists(home.Port(10)); }));
    ProgramPort port(home.Port(10), B115200);
    ASSERT_TRUE(port.IsOpen());
    ASSERT_EQ(PollUntilAwake(port, 10), std::vector<uint8_t>{kWakeUpAnswer}) << devsim.Trace();

    port.Write(kBootEntryCommand);
    std::vector<uint8_t> welcome = Bytes(std::string(kBootVersion) + "\r?");
    welcome.push_back(kRowXon);
    EXPECT_EQ(port.Read(welcome.size()), welcome);
    std::vector<uint8_t> data(16);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(0xA0 + i);
    port.Write(HexRecord(0, 0x0100, data));
    EXPECT_EQ(port.Read(3), (std::vector<uint8_t>{kRowXoff, kRowLineComplete, kRowXon}));
    port.Write(HexRecord(1, 0, {}));
    EXPECT_EQ(port.Read(1), std::vector<uint8_t>{kRowFileComplete});
    port.Close();

    EXPECT_EQ(devsim.Exit(), 0) << devsim.Trace();
    const std::vector<uint8_t> written = ReadFile(flash);
    ASSERT_EQ(written.size(), kRowFlashSize);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), written.begin() + 0x100));
    EXPECT_EQ(std::count(written.begin(), written.end(), 0xFF), static_cast<long>(kRowFlashSize - data.size()));
    ExpectTraced(devsim.Trace(), {"variant 1 (row-wake)", "line pacing on", "line speed 115200 baud",
                                  "poll 3 (0xC0) received: awake, 0xD0 sent", "entry command received",
                                  "row 1: 16 bytes at 0x0100 written",
                                  "row 2: end-of-file record, file complete", "update 1 complete",
                                  "flash written to", "power off"});
}

TEST(DevsimVariantProcess, Page256WakeUnitTakesPagesOf256BytesAfterTheWakeUp)
{
    ConfigHome home;
    const std::string flash = home.Path() + "flash.bin";
    DevsimProcess devsim(home, {"--com", "11", "--variant", "4", "--fast", "--updates", "1", "--flash-out", flash});
    ASSERT_TRUE(WaitFor([&] { return Exists(home.Port(11)); }));
    ProgramPort port(home.Port(11), B9600);
    ASSERT_EQ(PollUntilAwake(port, 5), std::vector<uint8_t>{kWakeUpAnswer}) << devsim.Trace();

    port.Write(kBootEntryCommand);
    const std::vector<uint8_t> welcome = Bytes(std::string(kBootVersion) + "\r!");
    EXPECT_EQ(port.Read(welcome.size()), welcome);
    std::vector<uint8_t> image;
    for (uint16_t page : {0, 1}) {
        std::vector<uint8_t> frame{0, static_cast<uint8_t>(page)};
        unsigned sum = 0;
        for (size_t i = 0; i < kBootLargePageSize; ++i) {
            frame.push_back(static_cast<uint8_t>(page * 101 + i * 13 + 5));
            sum += frame.back();
        }
        image.insert(image.end(), frame.begin() + 2, frame.end());
        frame.push_back(static_cast<uint8_t>(sum));
        port.Write(frame);
        EXPECT_EQ(port.Read(1), std::vector<uint8_t>{kBootPageAccepted}) << page;
    }
    port.Write(std::vector<uint8_t>{0xFF, 0xFF});
    EXPECT_EQ(port.Read(1), std::vector<uint8_t>{'!'});
    port.Close();

    EXPECT_EQ(devsim.Exit(), 0) << devsim.Trace();
    const std::vector<uint8_t> written = ReadFile(flash);
    ASSERT_EQ(written.size(), kBootFlashSize);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), written.begin()));
    EXPECT_TRUE(std::all_of(written.begin() + image.size(), written.end(), [](uint8_t b) { return b == 0xFF; }));
    ExpectTraced(devsim.Trace(), {"variant 4 (page256-wake)", "256-byte pages", "poll 1 (0xC0) received: awake",
                                  "page 1: checksum ok, written", "end marker received: 2 pages written",
                                  "update 1 complete"});
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

TEST(DevsimVariantProcess, AnOptionForAnotherUnitIsAUsageError)
{
    ConfigHome home;
    DevsimProcess devsim(home, {"--com", "13", "--variant", "row-wake", "--hang-at-page", "2"});
    EXPECT_EQ(devsim.Exit(), 2);
    EXPECT_NE(devsim.Trace().find("--hang-at-page does not apply to variant 1 (row-wake)"), std::string::npos)
        << devsim.Trace();
    EXPECT_FALSE(Exists(home.PortDirectory()));
}

} // namespace
} // namespace tvqx::sim::test
