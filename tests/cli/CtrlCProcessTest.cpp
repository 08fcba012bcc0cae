// tvqx-update-cli built for the waiting procedures, run as a process on a
// pseudo-terminal that never wakes: the real SIGINT path from the prompt to
// exit status 130. Time limits here only keep a broken program from hanging
// the test; nothing is asserted about how long anything takes.

#include "cli/UpdateRun.h"
#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tvqx::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The pseudo-terminal's far end: the line as a device would see it.
class Line {
public:
    Line()
    {
        m_fd = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_fd >= 0 && ::grantpt(m_fd) == 0 && ::unlockpt(m_fd) == 0)
            m_name = ::ptsname(m_fd);
    }
    ~Line()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    const std::string& DevicePath() const { return m_name; }
    // True once `byte` arrives from the program.
    bool WaitForByte(uint8_t byte, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) == 1 && (p.revents & POLLIN)) {
                uint8_t got[64];
                const ssize_t n = ::read(m_fd, got, sizeof got);
                for (ssize_t i = 0; i < n; ++i)
                    if (got[i] == byte)
                        return true;
            }
        }
        return false;
    }

private:
    int m_fd = -1;
    std::string m_name;
};

struct WaitingProgram {
    const char* path;
    bool writesImage;   // converts the firmware into Hex.tmp before waiting
};

class CtrlCProcessTest : public ::testing::TestWithParam<WaitingProgram> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(line.DevicePath().empty());
        // The program with its firmware bundle in a directory of its own:
        // other tests' processes use the copies beside the build's programs.
        const fs::path bin = temp.MakeDir("bin/");
        program = bin / "tvqx-update-cli";
        fs::copy_file(GetParam().path, program);
        for (const char* name : {"Tollvane-QX-R_with_Rd_Sw_Conn.txt", "TVQX-R_4_12.hex"})
            fs::copy_file(std::string(TVQX_EXAMPLES_DIR) + name, bin / name);
        const fs::path ports = temp.MakeDir("config/Ostrale Systems/ports/");
        fs::create_symlink(line.DevicePath(), ports / "COM5");
        temp.MakeDir("run/");
    }

    void TearDown() override
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    void Start()
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            env.emplace_back(*e);
        for (const std::string& set : {"XDG_CONFIG_HOME=" + temp.Path("config"), "XDG_RUNTIME_DIR=" + temp.Path("run"),
                                       "HOME=" + temp.Root()})
            env.push_back(set);
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string path = program.string();
        std::string option = "--port";
        std::string port = "COM5";
        char* argv[] = {path.data(), option.data(), port.data(), nullptr};

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, OutputPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data()) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }

    std::string OutputPath() const { return temp.Path("out.txt"); }
    std::string Output() const { return ReadFile(OutputPath()); }

    // The process's wait status, or -1 when it did not end in time.
    int WaitForEnd(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return status;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    tvqx::test::ScratchDir temp;
    Line line;
    fs::path program;
    pid_t pid = -1;
};

TEST_P(CtrlCProcessTest, CtrlCWhileWaitingEndsWithStatus130)
{
    Start();
    ASSERT_GT(pid, 0);
    // The wake-up poll on the line: the program sits in the window's wait.
    ASSERT_TRUE(line.WaitForByte(0xC0, 20s)) << Output();
    EXPECT_EQ(fs::exists(temp.Path("run/Hex.tmp")), GetParam().writesImage);

    ASSERT_EQ(::kill(pid, SIGINT), 0);
    const int status = WaitForEnd(20s);
    ASSERT_NE(status, -1) << Output();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << "\n" << Output();
    EXPECT_EQ(WEXITSTATUS(status), kExitCancelled);

    const std::string text = Output();
    const std::string hint = std::string(kCancelHint) + "\n";
    EXPECT_EQ(text.find(hint), text.rfind(hint)) << text;
    EXPECT_NE(text.find(hint + "Firmware file  =  TVQX-R_4_12.hex"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 3), "\n\n\n") << text;   // progress and result empty
    EXPECT_FALSE(fs::exists(temp.Path("run/Hex.tmp")));
}

INSTANTIATE_TEST_SUITE_P(Programs, CtrlCProcessTest,
                         ::testing::Values(WaitingProgram{TVQX_CLI_VARIANT1_PATH, false},
                                           WaitingProgram{TVQX_CLI_VARIANT4_PATH, true}),
                         [](const auto& info) { return info.index == 0 ? "Variant1" : "Variant4"; });

} // namespace
} // namespace tvqx::cli
