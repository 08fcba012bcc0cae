// The console updater and the virtual device as separate processes on a real
// pseudo-terminal: what in-process tests cannot show (the port directory,
// termios, a device that goes away, processes that must not hang).

#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using tvqx::test::ReadAll;
using namespace std::chrono_literals;

std::string MakeHex(const std::vector<uint8_t>& data)
{
    std::string hex;
    char line[64];
    for (size_t a = 0; a < data.size(); a += 16) {
        unsigned sum = 16 + ((a >> 8) & 0xFF) + (a & 0xFF);
        std::snprintf(line, sizeof line, ":10%04X00", static_cast<unsigned>(a));
        hex += line;
        for (size_t i = 0; i < 16; ++i) {
            sum += data[a + i];
            std::snprintf(line, sizeof line, "%02X", data[a + i]);
            hex += line;
        }
        std::snprintf(line, sizeof line, "%02X\n", (256 - (sum & 0xFF)) & 0xFF);
        hex += line;
    }
    return hex + ":00000001FF\n";
}

class Process {
public:
    Process(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& output)
    {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<std::string> all;
        for (char** e = environ; *e; ++e)
            all.emplace_back(*e);
        all.insert(all.end(), env.begin(), env.end());
        std::vector<char*> envp;
        for (auto& e : all)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process()
    {
        if (m_pid > 0 && !m_done) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    // Exit status, or -1 when it did not end within `limit` (it is killed).
    int Wait(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_done = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(5ms);
        }
        return -1;
    }
    void Signal(int sig) { kill(m_pid, sig); }
    bool Started() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
    bool m_done = false;
};

class EndToEnd : public ::testing::Test {
protected:
    EndToEnd()
    {
        bundle = root / "bundle";
        fs::create_directories(bundle);
        fs::copy_file(TVQX_CLI_PATH, bundle / "tvqx-update-cli");
        env = {"XDG_CONFIG_HOME=" + (root / "config").string(), "XDG_RUNTIME_DIR=" + root.string()};
        portEntry = root / "config" / "Ostrale Systems" / "ports" / "COM7";
    }
    void WriteFirmware(size_t size)
    {
        image.resize(size);
        for (size_t i = 0; i < size; ++i)
            image[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
        std::ofstream(bundle / "Tollvane-QX-R_with_Rd_Sw_Conn.txt") << "e2e\nfw.hex\n";
        std::ofstream(bundle / "fw.hex") << MakeHex(image);
    }

    std::unique_ptr<Process> StartDevice(std::vector<std::string> options)
    {
        std::vector<std::string> args = {TVQX_DEVSIM_PATH, "--com", "7"};
        args.insert(args.end(), options.begin(), options.end());
        auto p = std::make_unique<Process>(args, env, root / "devsim.log");
        for (int i = 0; i < 400 && !fs::exists(fs::symlink_status(portEntry)); ++i)
            std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(fs::exists(fs::symlink_status(portEntry))) << ReadAll(root / "devsim.log");
        return p;
    }

    std::unique_ptr<Process> StartUpdate()
    {
        return std::make_unique<Process>(
            std::vector<std::string>{(bundle / "tvqx-update-cli").string(), "--port", "COM7"}, env,
            root / "cli.log");
    }

    std::string CliOutput() { return ReadAll(root / "cli.log"); }

    tvqx::test::ScratchDir scratch{"tvqx-e2e"};
    fs::path root = scratch.Root();
    fs::path bundle, portEntry;
    std::vector<std::string> env;
    std::vector<uint8_t> image;
};

TEST_F(EndToEnd, WholeUpdateReachesTheDevicesFlash)
{
    WriteFirmware(1024);
    const fs::path flash = root / "flash.bin";
    auto device = StartDevice({"--fast", "--updates", "1", "--flash-out", flash.string()});
    auto update = StartUpdate();
    ASSERT_EQ(update->Wait(20s), 0) << CliOutput();
    ASSERT_EQ(device->Wait(5s), 0) << ReadAll(root / "devsim.log");

    const std::string out = CliOutput();
    EXPECT_NE(out.find("[Firmware Update Complete]\nThe Tollvane QX-R firmware has been successfully updated.     \n\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Boot loader version  =  TVQXR-1-4.00\nSending hex file page  8  of  8\n"
                       "Tollvane QX-R firmware successfully updated\n"),
              std::string::npos)
        << out;
    const std::string written = ReadAll(flash);
    ASSERT_EQ(written.size(), 65536u);
    EXPECT_EQ(written.substr(0, image.size()), std::string(image.begin(), image.end()));
    EXPECT_EQ(written.substr(image.size(), 10), std::string(10, '\xFF'));
    EXPECT_FALSE(fs::exists(fs::symlink_status(portEntry)));
    // The port that worked is remembered for the next start.
    EXPECT_NE(ReadAll(root / "config" / "Ostrale Systems" / "tvqx-update.conf").find("ComPort=7"),
              std::string::npos);
}

TEST_F(EndToEnd, DeviceThatNeverAnswers)
{
    WriteFirmware(256);
    auto device = StartDevice({"--fast", "--no-answer"});
    auto update = StartUpdate();
    ASSERT_EQ(update->Wait(20s), 1) << CliOutput();
    const std::string out = CliOutput();
    EXPECT_NE(out.find("[Firmware Update Error]\nInvalid or no response from the Tollvane QX.     \n\n"
                       "Firmware update terminated.\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\nFirmware update failed\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("successfully"), std::string::npos) << out;
    device->Signal(SIGTERM);
    EXPECT_EQ(device->Wait(5s), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(portEntry)));
}

TEST_F(EndToEnd, DeviceVanishingMidTransfer)
{
    WriteFirmware(16384);   // 128 pages: more than six seconds on the line
    auto device = StartDevice({"--fast"});
    auto update = StartUpdate();
    // Pull the plug once a few pages are through.
    for (int i = 0; i < 2000 && ReadAll(root / "devsim.log").find("page 3:") == std::string::npos; ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_NE(ReadAll(root / "devsim.log").find("page 3:"), std::string::npos) << ReadAll(root / "devsim.log");
    device->Signal(SIGTERM);
    EXPECT_EQ(device->Wait(5s), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(portEntry)));

    ASSERT_EQ(update->Wait(20s), 1) << CliOutput();
    const std::string out = CliOutput();
    EXPECT_NE(out.find("[Firmware Update Error]\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Tollvane QX-R.     \n\nFirmware update terminated."), std::string::npos) << out;
    EXPECT_NE(out.find("\nFirmware update failed\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("successfully"), std::string::npos) << out;
}

} // namespace
