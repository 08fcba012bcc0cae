#pragma once
// Runs tvqx-devsim as a child process in a private configuration directory
// and plays the update program's part on its port: open the COMn entry as
// the program does, set the line, write, read with a deadline.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "tests/common/ScratchDir.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tvqx::sim::test {

using namespace std::chrono_literals;

// A private $XDG_CONFIG_HOME, so the port directory is the test's own.
class ConfigHome {
public:
    const std::string& Path() const { return m_dir.Root(); }
    std::string PortDirectory() const { return Path() + "Ostrale Systems/ports/"; }
    std::string Port(int n) const { return PortDirectory() + "COM" + std::to_string(n); }

private:
    tvqx::test::ScratchDir m_dir{"tvqx-devsim"};
};

inline bool Exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

template <typename Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit = 2000ms)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class DevsimProcess {
public:
    DevsimProcess(const ConfigHome& home, const std::vector<std::string>& args) : m_log(home.Path() + "trace.log")
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
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

    // The exit status once the process has ended within `limit`.
    std::optional<int> Exit(std::chrono::milliseconds limit = 2000ms)
    {
        WaitFor([&] {
            int status = 0;
            if (!m_status && ::waitpid(m_pid, &status, WNOHANG) == m_pid)
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return m_status.has_value();
        }, limit);
        return m_status;
    }
    void Signal(int signal) { ::kill(m_pid, signal); }
    std::string Trace() const
    {
        std::ifstream in(m_log);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
    std::string m_log;
};

// The update program's end of the line, opened the way its port layer opens
// a serial port.
class ProgramPort {
public:
    ProgramPort(const std::string& path, speed_t speed)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return;
        termios t {};
        ::tcgetattr(m_fd, &t);
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        ::tcsetattr(m_fd, TCSANOW, &t);
        SetSpeed(speed);
    }
    ~ProgramPort() { Close(); }
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    void SetSpeed(speed_t speed)
    {
        termios t {};
        ::tcgetattr(m_fd, &t);
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        ::tcsetattr(m_fd, TCSANOW, &t);
    }
    void Write(const std::vector<uint8_t>& bytes)
    {
        size_t done = 0;
        WaitFor([&] {
            const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            return done == bytes.size();
        });
    }
    void Write(const std::string& text) { Write(std::vector<uint8_t>(text.begin(), text.end())); }
    // Up to `count` bytes, whatever has come by `limit`.
    std::vector<uint8_t> Read(size_t count, std::chrono::milliseconds limit = 1500ms)
    {
        std::vector<uint8_t> got;
        WaitFor([&] {
            uint8_t buffer[256];
            const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0)
                got.insert(got.end(), buffer, buffer + n);
            return got.size() == count;
        }, limit);
        return got;
    }

private:
    int m_fd = -1;
};

} // namespace tvqx::sim::test
