// tvqx-devsim as a process on a real pseudo-terminal, for what no other
// test sees: the host follows the line speed the program sets on the
// terminal, a usage error or a port taken ends it with status 2, and Ctrl-C
// takes its port entry away; with --units, each unit on its own terminal,
// all or none hosted and all taken away. Whole updates through it are proven
// in tests/e2e.

#include "sim/BootLoaderEntry.h"
#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <thread>

namespace tvqx::sim {
namespace {

using namespace std::chrono_literals;

template <typename Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit = 2000ms)
{
    for (const auto end = std::chrono::steady_clock::now() + limit; !done();) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The program in a private $XDG_CONFIG_HOME, its output in a file there.
class DevsimProcess {
public:
    DevsimProcess(const test::ScratchDir& home, const std::vector<std::string>& args)
        : m_log(home.Path("trace.log"))
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setenv("XDG_CONFIG_HOME", home.Root().c_str(), 1);
            const int log = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(log, 1);
            ::dup2(log, 2);
            std::vector<char*> argv{const_cast<char*>(TVQX_DEVSIM_PATH)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(TVQX_DEVSIM_PATH, argv.data());
            ::_exit(127);
        }
    }
    ~DevsimProcess()
    {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    std::optional<int> Exit()
    {
        WaitFor([&] {
            int status = 0;
            if (!m_status && ::waitpid(m_pid, &status, WNOHANG) == m_pid)
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return m_status.has_value();
        });
        return m_status;
    }
    void Signal(int signal) { ::kill(m_pid, signal); }
    std::string Trace() const { return test::ReadAll(m_log); }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
    std::string m_log;
};

void SetSpeed(int fd, speed_t speed)
{
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    ::tcsetattr(fd, TCSANOW, &t);
}

std::string Read(int fd, size_t count, std::chrono::milliseconds limit = 1500ms)
{
    std::string got;
    WaitFor([&] {
        char buffer[64];
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n > 0)
            got.append(buffer, static_cast<size_t>(n));
        return got.size() == count;
    }, limit);
    return got;
}

TEST(DevsimProcess, FollowsTheTerminalsLineSpeedAndLeavesOnInterrupt)
{
    test::ScratchDir home("tvqx-devsim");
    EXPECT_EQ(DevsimProcess(home, {"--com", "23"}).Exit(), 2);
    home.MakeDir("Ostrale Systems/ports");
    home.Write("Ostrale Systems/ports/com8", "x");
    EXPECT_EQ(DevsimProcess(home, {"--com", "8"}).Exit(), 2) << "COM8 is someone else's";

    const std::string entry = home.Path("Ostrale Systems/ports/COM7");
    const auto present = [&] { return std::filesystem::exists(std::filesystem::symlink_status(entry)); };
    DevsimProcess devsim(home, {"--com", "7", "--fast", "--response-delay", "150"});
    ASSERT_TRUE(WaitFor(present)) << devsim.Trace();
    const int fd = ::open(entry.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    SetSpeed(fd, B19200);
    // Sent at 19200, the entry command does not reach the 9600-baud boot
    // loader.
    ASSERT_EQ(::write(fd, kBootEntryCommand, 19), 19);
    EXPECT_TRUE(Read(fd, 1, 300ms).empty());

    // Sent at 9600, it does; heard at 19200, the answer is noise. The host
    // looks at the speed when bytes come: the switch back waits until it has
    // them, as a real program's would until they had left the UART.
    SetSpeed(fd, B9600);
    ASSERT_EQ(::write(fd, kBootEntryCommand, 19), 19);
    ASSERT_TRUE(WaitFor([&] { return devsim.Trace().find("entry command received") != std::string::npos; }));
    SetSpeed(fd, B19200);
    const std::string heard = Read(fd, 14);
    EXPECT_EQ(heard.size(), 14u);
    EXPECT_EQ(heard.find_first_not_of(std::string("\x00\xFE", 2)), std::string::npos);
    ::close(fd);

    devsim.Signal(SIGINT);
    EXPECT_EQ(devsim.Exit(), 0);
    EXPECT_FALSE(present());
    EXPECT_NE(devsim.Trace().find("line speed 19200 baud"), std::string::npos);
}

TEST(DevsimProcess, HostsEachUnitOnItsOwnTerminalAndTakesAllAwayOnInterrupt)
{
    test::ScratchDir home("tvqx-devsim");
    const auto entry = [&](int com) { return home.Path("Ostrale Systems/ports/COM" + std::to_string(com)); };
    const auto present = [&](int com) { return std::filesystem::exists(std::filesystem::symlink_status(entry(com))); };
    // One port taken: no unit is hosted, and the ports claimed before it go.
    home.MakeDir("Ostrale Systems/ports");
    home.Write("Ostrale Systems/ports/COM11", "x");
    EXPECT_EQ(DevsimProcess(home, {"--com", "10", "--units", "3"}).Exit(), 2);
    EXPECT_FALSE(present(10));
    std::filesystem::remove(entry(11));

    DevsimProcess devsim(home, {"--com", "10", "--units", "3", "--fast"});
    ASSERT_TRUE(WaitFor([&] { return present(10) && present(11) && present(12); })) << devsim.Trace();
    std::set<std::filesystem::path> terminals;
    for (int com : {10, 11, 12})
        terminals.insert(std::filesystem::read_symlink(entry(com)));
    EXPECT_EQ(terminals.size(), 3u);
    const int fd = ::open(entry(11).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    SetSpeed(fd, B9600);
    ASSERT_EQ(::write(fd, kBootEntryCommand, 19), 19);
    EXPECT_EQ(Read(fd, 14), "TVQXR-1-4.00\r!");
    ::close(fd);

    devsim.Signal(SIGINT);
    EXPECT_EQ(devsim.Exit(), 0);
    for (int com : {10, 11, 12})
        EXPECT_FALSE(present(com)) << com;
    // The unit opened says so in its own lines, and no other unit does.
    const std::string trace = devsim.Trace();
    EXPECT_TRUE(std::regex_search(trace, std::regex("(^|\n)COM11: +[0-9.]+  power on: port opened\n"))) << trace;
    EXPECT_FALSE(std::regex_search(trace, std::regex("COM1[02]: [^\n]*power on"))) << trace;
}

} // namespace
} // namespace tvqx::sim
