// tvqx-devsim as a separate process on a real pseudo-terminal, driven byte
// by byte the way the update program drives a unit.

#include "DevsimProcess.h"

#include "sim/PageBootLoader.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>

namespace tvqx::sim::test {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> PageData(uint16_t page)
{
    std::vector<uint8_t> data(kBootPageSize);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(page * 31 + i * 7 + 1);
    return data;
}

std::vector<uint8_t> Frame(uint16_t page, int checksumError = 0)
{
    const std::vector<uint8_t> data = PageData(page);
    std::vector<uint8_t> frame{static_cast<uint8_t>(page >> 8), static_cast<uint8_t>(page)};
    frame.insert(frame.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : data)
        sum += b;
    frame.push_back(static_cast<uint8_t>(sum + checksumError));
    return frame;
}

const std::vector<uint8_t> kWelcome = Bytes(std::string(kBootVersion) + "\r!");
const std::vector<uint8_t> kAccepted{'!'};
const std::vector<uint8_t> kResend{'@'};

TEST(DevsimProcess, UpdatesTwoPagesWritesTheFlashAndLeavesAfterTheLastUpdate)
{
    ConfigHome home;
    const std::string flash = home.Path() + "flash.bin";
    DevsimProcess devsim(home, {"--com", "5", "--fast", "--updates", "1", "--flash-out", flash,
                                "--resend", "1:1"});
    ASSERT_TRUE(WaitFor([&] { return Exists(home.Port(5)); }));

    ProgramPort port(home.Port(5), B9600);
    ASSERT_TRUE(port.IsOpen());
    port.Write(kBootEntryCommand);
    EXPECT_EQ(port.Read(kWelcome.size()), kWelcome);
    port.Write(Frame(0));
    EXPECT_EQ(port.Read(1), kAccepted);
    port.Write(Frame(1, 1));   // a bad checksum is answered with a resend
    EXPECT_EQ(port.Read(1), kResend);
    port.Write(Frame(1));      // the scripted resend
    EXPECT_EQ(port.Read(1), kResend);
    port.Write(Frame(1));
    EXPECT_EQ(port.Read(1), kAccepted);
    port.Write(std::vector<uint8_t>{0xFF, 0xFF});
    EXPECT_EQ(port.Read(1), kAccepted);
    EXPECT_TRUE(Exists(home.Port(5))) << "the port stays until the program lets go of it";
    port.Close();

    EXPECT_EQ(devsim.Exit(), 0) << devsim.Trace();
    EXPECT_FALSE(Exists(home.Port(5)));

    std::ifstream in(flash, std::ios::binary);
    const std::vector<uint8_t> written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(written.size(), kBootFlashSize);
    for (uint16_t page : {0, 1}) {
        const std::vector<uint8_t> data = PageData(page);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), written.begin() + page * kBootPageSize)) << page;
    }
    EXPECT_TRUE(std::all_of(written.begin() + 2 * kBootPageSize, written.end(), [](uint8_t b) { return b == 0xFF; }));

    const std::string trace = devsim.Trace();
    for (const char* event : {"power on", "entry command received", "page 1: checksum bad", "resend 2",
                              "end marker received: 2 pages written", "update 1 complete", "power off"})
        EXPECT_NE(trace.find(event), std::string::npos) << event << "\n" << trace;
}

TEST(DevsimProcess, ClosingThePortMidTransferIsAPowerCycle)
{
    ConfigHome home;
    DevsimProcess devsim(home, {"--com", "6", "--fast", "--quiet"});
    ASSERT_TRUE(WaitFor([&] { return Exists(home.Port(6)); }));
    {
        // The program wakes the boot loader, leaves its answer unread, sends
        // half a page and vanishes with the port still marked exclusive.
        ProgramPort port(home.Port(6), B9600);
        port.Write(kBootEntryCommand);
        ASSERT_TRUE(WaitFor([&] { return devsim.Trace().find("ready sent") != std::string::npos; }));
        std::this_thread::sleep_for(20ms);
        std::vector<uint8_t> half = Frame(0);
        half.resize(60);
        port.Write(half);
        ioctl(port.Fd(), TIOCEXCL);
    }
    ASSERT_TRUE(WaitFor([&] { return devsim.Trace().find("power off") != std::string::npos; }));

    ProgramPort again(home.Port(6), B9600);
    ASSERT_TRUE(again.IsOpen()) << "a left-over exclusive flag must not lock the next program out";
    EXPECT_TRUE(again.Read(1, 50ms).empty()) << "nothing from before the power cycle";
    again.Write(kBootEntryCommand);
    EXPECT_EQ(again.Read(kWelcome.size()), kWelcome);
    again.Write(Frame(0));
    EXPECT_EQ(again.Read(1), kAccepted);
    again.Close();

    devsim.Signal(SIGTERM);
    EXPECT_EQ(devsim.Exit(), 0);
    EXPECT_FALSE(Exists(home.Port(6)));
}

TEST(DevsimProcess, AnotherLineSpeedGetsGarbageBothWays)
{
    ConfigHome home;
    DevsimProcess devsim(home, {"--com", "7", "--fast", "--response-delay", "150"});
    ASSERT_TRUE(WaitFor([&] { return Exists(home.Port(7)); }));
    ProgramPort port(home.Port(7), B19200);
    // Sent at 19200, the entry command does not reach the boot loader.
    port.Write(kBootEntryCommand);
    EXPECT_TRUE(port.Read(1, 300ms).empty());

    // Sent at 9600, it does; heard at 19200, the answer is noise.
    // The host looks at the speed each millisecond: the switch back has to
    // wait until it has taken the bytes, as a real program's would until
    // they had left the UART.
    port.SetSpeed(B9600);
    port.Write(kBootEntryCommand);
    ASSERT_TRUE(WaitFor([&] { return devsim.Trace().find("entry command received") != std::string::npos; }));
    port.SetSpeed(B19200);
    const std::vector<uint8_t> heard = port.Read(kWelcome.size());
    EXPECT_EQ(heard.size(), kWelcome.size());
    EXPECT_NE(heard, kWelcome);
    EXPECT_EQ(std::count(heard.begin(), heard.end(), '!'), 0);
    EXPECT_NE(devsim.Trace().find("line speed 19200 baud"), std::string::npos);
}

TEST(DevsimProcess, InterruptRemovesThePortEntry)
{
    ConfigHome home;
    DevsimProcess devsim(home, {"--com", "8"});
    ASSERT_TRUE(WaitFor([&] { return Exists(home.Port(8)); }));
    devsim.Signal(SIGINT);
    EXPECT_EQ(devsim.Exit(), 0);
    EXPECT_FALSE(Exists(home.Port(8)));
}

// What stands at COM9 before the host starts, and whether the host may take
// its place.
struct ExistingEntry {
    const char* name;
    const char* linksTo;   // nullptr: a plain file
    bool replaced;
};

class DevsimExistingEntry : public ::testing::TestWithParam<ExistingEntry> {};

TEST_P(DevsimExistingEntry, OnlyADanglingLinkIsReplaced)
{
    const ExistingEntry& entry = GetParam();
    ConfigHome home;
    std::filesystem::create_directories(home.PortDirectory());
    const std::string path = home.PortDirectory() + entry.name;
    if (entry.linksTo)
        std::filesystem::create_symlink(entry.linksTo, path);
    else
        std::ofstream(path) << "x";

    DevsimProcess devsim(home, {"--com", "9"});
    if (entry.replaced) {
        ASSERT_TRUE(WaitFor([&] { return std::filesystem::is_character_file(home.Port(9)); }));
        devsim.Signal(SIGTERM);
        EXPECT_EQ(devsim.Exit(), 0);
        EXPECT_FALSE(Exists(path));
    } else {
        EXPECT_EQ(devsim.Exit(), 2);
        EXPECT_NE(devsim.Trace().find("already exists"), std::string::npos) << devsim.Trace();
        EXPECT_TRUE(Exists(path)) << "someone else's entry stays";
    }
}

INSTANTIATE_TEST_SUITE_P(Entries, DevsimExistingEntry,
                         ::testing::Values(ExistingEntry{"COM9", "/dev/pts/no-such-terminal", true},
                                           ExistingEntry{"COM9", "/dev/null", false},
                                           ExistingEntry{"com9", "/dev/null", false},
                                           ExistingEntry{"COM9", nullptr, false}),
                         [](const ::testing::TestParamInfo<ExistingEntry>& info) {
                             const ExistingEntry& e = info.param;
                             return std::string(e.name) + (!e.linksTo ? "_file"
                                                           : e.replaced ? "_dangling"
                                                                        : "_to_device");
                         });

TEST(DevsimProcess, UsageErrorsExitWithTwoAndHelpWithZero)
{
    ConfigHome home;
    EXPECT_EQ(DevsimProcess(home, {"--com", "23"}).Exit(), 2);
    EXPECT_EQ(DevsimProcess(home, {"--com", "1", "--variant", "row"}).Exit(), 2);
    DevsimProcess help(home, {"--help"});
    EXPECT_EQ(help.Exit(), 0);
    EXPECT_NE(help.Trace().find("--flash-out FILE"), std::string::npos);
    EXPECT_FALSE(Exists(home.PortDirectory()));
}

} // namespace
} // namespace tvqx::sim::test
