#pragma once
// Real processes on a real pseudo-terminal: a console updater, copied with
// its firmware into a bundle directory of its own, and tvqx-devsim appearing
// as COM7 in a private configuration directory. Every wait has a limit that
// only keeps a broken program from hanging the run; nothing is asserted
// about how long anything takes.

#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tvqx::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tvqx::test::ReadAll;

inline constexpr const char* kDescriptionFile = "Tollvane-QX-R_with_Rd_Sw_Conn.txt";

// A child process with standard output and error in `output`, the test's
// environment plus `env`, and no standard input. Killed and reaped when
// dropped while still running.
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
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Exit status (128 + n for a death by signal n), or -1 when it did not
    // end within `limit`; it is then killed when dropped.
    int Wait(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!m_done && std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_done = true;
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
        return m_done ? m_status : -1;
    }
    void Signal(int sig)
    {
        if (m_pid > 0 && !m_done)
            kill(m_pid, sig);
    }

private:
    pid_t m_pid = -1;
    bool m_done = false;
    int m_status = -1;
};

// True once `file` contains `text`, looked at until `limit` has passed.
inline bool WaitForText(const fs::path& file, const std::string& text, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (ReadAll(file).find(text) != std::string::npos)
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
}

// Intel HEX for `data` from address 0, 16 bytes a record, then the end record.
inline std::string MakeHex(const std::vector<uint8_t>& data)
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

class EndToEndFixture : public ::testing::Test {
protected:
    // The device's port entry, the settings file and the page image's
    // directory all lie under the test's own directory.
    EndToEndFixture()
    {
        bundle = root / "bundle";
        fs::create_directories(bundle);
        fs::create_directories(root / "run");
        env = {"XDG_CONFIG_HOME=" + (root / "config").string(), "XDG_RUNTIME_DIR=" + (root / "run").string(),
               "HOME=" + root.string()};
    }

    // The updater runs from the bundle, where it looks for its firmware.
    void InstallUpdater(const fs::path& program) { fs::copy_file(program, bundle / "tvqx-update-cli"); }

    // A description file and a HEX file of `size` bytes (a multiple of 16)
    // for the page boot loader, in the bundle; the bytes are kept in `image`.
    void WriteFirmware(size_t size)
    {
        image.resize(size);
        for (size_t i = 0; i < size; ++i)
            image[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
        std::ofstream(bundle / kDescriptionFile) << "e2e\nfw.hex\n";
        std::ofstream(bundle / "fw.hex") << MakeHex(image);
    }

    // A device on COMn, its trace in DeviceLog(n).
    std::unique_ptr<Process> StartDevice(const std::vector<std::string>& options, int com = 7)
    {
        std::vector<std::string> args = {TVQX_DEVSIM_PATH, "--com", std::to_string(com)};
        args.insert(args.end(), options.begin(), options.end());
        auto p = std::make_unique<Process>(args, env, DeviceLog(com));
        const fs::path entry = PortEntry(com);
        for (int i = 0; i < 2000 && !fs::exists(fs::symlink_status(entry)); ++i)
            std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(fs::exists(fs::symlink_status(entry))) << DeviceTrace(com);
        return p;
    }

    // The updater on COMn, all it prints in UpdateLog(n).
    std::unique_ptr<Process> StartUpdate(int com = 7)
    {
        return std::make_unique<Process>(
            std::vector<std::string>{(bundle / "tvqx-update-cli").string(), "--port", "COM" + std::to_string(com)},
            env, UpdateLog(com));
    }

    fs::path PortEntry(int com) const
    {
        return root / "config" / "Ostrale Systems" / "ports" / ("COM" + std::to_string(com));
    }
    fs::path DeviceLog(int com = 7) const { return root / LogName("devsim", com); }
    std::string DeviceTrace(int com = 7) const { return ReadAll(DeviceLog(com)); }
    fs::path UpdateLog(int com = 7) const { return root / LogName("cli", com); }
    std::string CliOutput(int com = 7) const { return ReadAll(UpdateLog(com)); }
    std::string Settings() const { return ReadAll(root / "config" / "Ostrale Systems" / "tvqx-update.conf"); }
    fs::path PageImage() const { return root / "run" / "Hex.tmp"; }

    static std::string LogName(const std::string& who, int com)
    {
        return who + (com == 7 ? "" : std::to_string(com)) + ".log";
    }

    tvqx::test::ScratchDir scratch{"tvqx-e2e"};
    fs::path root = scratch.Root();
    fs::path bundle;
    std::vector<std::string> env;
    std::vector<uint8_t> image;
};

} // namespace tvqx::e2e
