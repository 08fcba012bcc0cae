#pragma once
// What the benchmark programs share: firmware of a given size, child
// processes with their wall and CPU time, the median of repeated figures.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace tvqx::bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Pseudo-random firmware of `size` bytes from address 0, 16 bytes a record,
// CR LF line ends, then the end-of-file record.
inline std::string MakeHex(size_t size)
{
    std::string hex;
    char line[64];
    uint32_t x = 7;
    for (size_t a = 0; a < size; a += 16) {
        unsigned sum = 16 + ((a >> 8) & 0xFF) + (a & 0xFF);
        std::snprintf(line, sizeof line, ":10%04X00", static_cast<unsigned>(a));
        hex += line;
        for (int i = 0; i < 16; ++i) {
            x = x * 1103515245u + 12345u;
            const unsigned b = (x >> 16) & 0xFF;
            sum += b;
            std::snprintf(line, sizeof line, "%02X", b);
            hex += line;
        }
        std::snprintf(line, sizeof line, "%02X\r\n", (256 - (sum & 0xFF)) & 0xFF);
        hex += line;
    }
    return hex + ":00000001FF\r\n";
}

struct RunResult {
    int status = -1;   // exit status, 128 + n for a death by signal n, -1 when it did not start
    double wallMs = 0;
    double cpuMs = 0;  // user and system time of the child
};

// A child with the environment plus `env`; its output goes to `output`, or
// nowhere when that is empty. Returns the pid, or -1.
inline pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                   const std::string& output = {})
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (auto& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.empty() ? "/dev/null" : output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for the child spawned at `start` and takes its figures.
inline RunResult Reap(pid_t pid, Clock::time_point start)
{
    RunResult r;
    if (pid <= 0)
        return r;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    r.wallMs = Ms(Clock::now() - start);
    r.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return r;
}

inline RunResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                     const std::string& output = {})
{
    const auto start = Clock::now();
    return Reap(Spawn(args, env, output), start);
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace tvqx::bench
