// The row update on a line with a real line's timing: tvqx-update-cli built
// for the wake-up and row procedure against tvqx-devsim --variant 1 without
// --fast, 64 KiB of firmware at 115200 baud.
//
//  (d) the transfer, from the entry command to the '@', against the line's
//      own lower bound: every byte that must cross it in turn (the version
//      answer and '?', each row as sent without its line end, one XON per
//      row, XOFF and '~' after every row but the last, the '@'), 10 bits a
//      byte. The times come from the device's trace, which stamps each event
//      with the moment its last byte arrived. Each row also waits for one
//      round trip across the pseudo-terminal, which a serial line does not
//      have; the bench measures it beside each run.
//  (e) the whole run's wall time beside what the procedure demands of it:
//      the 200 ms settle after opening, the wait for the 500 ms timer ticks
//      (the poll, then the tick that finds the wake-up byte), the 100 ms
//      before the entry command, and the line time.
//  (f) the updater's CPU time as a share of wall time while it waits for a
//      unit that never wakes (60 s; 10 s with --quick).
//
// usage: tvqx-row-bench CLI DEVSIM [--quick]

#include "bench/BenchSupport.h"
#include "bench/PtyRoundTrip.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tvqx::bench;
using namespace std::chrono_literals;

constexpr uint32_t kBaud = 115200;
constexpr double kByteMs = 10.0 * 1000.0 / kBaud;
constexpr double kSettleMs = 200;
constexpr double kTimerMs = 500;
constexpr double kBeforeEntryMs = 100;
constexpr size_t kEntryCommandBytes = 19;
constexpr size_t kFirmwareBytes = 65536;

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Transfer {
    size_t rows = 0;
    size_t bytes = 0;   // on the line from the end of the entry command to the '@'
};

// What the exchange puts on the line, in the order it needs it.
Transfer TransferOf(const std::string& hex)
{
    size_t rows = 0;
    size_t rowBytes = 0;
    std::istringstream lines(hex);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ++rows;
        rowBytes += line.size();
    }
    const size_t version = 13;   // "TVQXR-1-4.00" and CR
    const size_t ready = 1;
    return {rows, version + ready + rowBytes + rows /* XON */ + 2 * (rows - 1) /* XOFF, '~' */ + 1 /* '@' */};
}

// The time of the first trace line that contains `text`, in ms since the
// device started.
std::optional<double> TraceMs(const std::string& trace, const std::string& text)
{
    const size_t at = trace.find(text);
    if (at == std::string::npos)
        return std::nullopt;
    const size_t begin = trace.rfind('\n', at);
    return 1000.0 * std::atof(trace.c_str() + (begin == std::string::npos ? 0 : begin + 1));
}

// CPU time used so far by a running process, in ms.
double CpuMsOf(pid_t pid)
{
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    // The fields after the command name, which is in parentheses.
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    return 1000.0 * static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Processor time the whole machine spent busy so far, in ms (all cores).
double MachineBusyMs()
{
    std::istringstream cpu(ReadText("/proc/stat"));
    std::string name;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    cpu >> name >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
    return 1000.0 * static_cast<double>(user + nice + system + irq + softirq + steal) /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

class Setup {
public:
    Setup(const fs::path& root, const std::string& cli, const std::string& devsim, int com)
        : m_root(root), m_devsim(devsim), m_com(std::to_string(com))
    {
        fs::create_directories(root / "bundle");
        fs::copy_file(cli, Program());
        std::ofstream(root / "bundle" / "Tollvane-QX-R_with_Rd_Sw_Conn.txt") << "bench\r\nbench.hex\r\n";
        std::ofstream(root / "bundle" / "bench.hex", std::ios::binary) << MakeHex(kFirmwareBytes);
        m_env = {"XDG_CONFIG_HOME=" + (root / "config").string(), "XDG_RUNTIME_DIR=" + root.string()};
    }

    fs::path Program() const { return m_root / "bundle" / "tvqx-update-cli"; }
    std::string Hex() const { return ReadText(m_root / "bundle" / "bench.hex"); }
    std::string Trace() const { return ReadText(m_root / "devsim.log"); }

    // The device, once its port is there.
    pid_t StartDevice(std::vector<std::string> options)
    {
        options.insert(options.begin(), {m_devsim, "--com", m_com, "--variant", "1", "--quiet"});
        const pid_t pid = Spawn(options, m_env, (m_root / "devsim.log").string());
        const fs::path entry = m_root / "config" / "Ostrale Systems" / "ports" / ("COM" + m_com);
        for (int i = 0; i < 5000 && !fs::exists(fs::symlink_status(entry)); ++i)
            std::this_thread::sleep_for(1ms);
        return pid;
    }
    pid_t StartUpdate() { return Spawn({Program().string(), "--port", "COM" + m_com}, m_env); }

private:
    fs::path m_root;
    std::string m_devsim;
    std::string m_com;
    std::vector<std::string> m_env;
};

struct RowRun {
    bool ok = false;
    double wallMs = 0, cpuMs = 0, deviceCpuMs = 0;
    double otherCores = 0;   // what the rest of the machine kept busy meanwhile
    double transferMs = 0;   // end of the entry command to the '@'
    double tickWaitMs = 0;   // end of the settle to the tick that found 0xD0
};

RowRun RunRowUpdate(Setup& setup)
{
    RowRun run;
    const pid_t device = setup.StartDevice({"--updates", "1"});
    const double busy0 = MachineBusyMs();
    const auto start = Clock::now();
    const RunResult update = Reap(setup.StartUpdate(), start);
    const RunResult host = Reap(device, start);
    const double busy = MachineBusyMs() - busy0;
    const std::string trace = setup.Trace();
    const auto opened = TraceMs(trace, "power on");
    const auto woke = TraceMs(trace, "received: awake");
    const auto entry = TraceMs(trace, "entry command received");
    const auto complete = TraceMs(trace, "file complete");
    if (update.status != 0 || !opened || !woke || !entry || !complete) {
        std::fprintf(stderr, "row update failed (status %d); device trace:\n%s\n", update.status, trace.c_str());
        return run;
    }
    run.ok = true;
    run.wallMs = update.wallMs;
    run.cpuMs = update.cpuMs;
    run.deviceCpuMs = host.cpuMs;
    run.otherCores = std::max(0.0, busy - update.cpuMs - host.cpuMs) / host.wallMs;
    run.transferMs = *complete - *entry + kByteMs;
    // The poll that woke the unit went out on the first tick after the
    // settle; the next tick found the answer.
    run.tickWaitMs = *woke - *opened - kSettleMs + kTimerMs;
    return run;
}

// CPU share (%) of the updater, and of the device's host, over `seconds` of
// waiting for a unit that never wakes.
std::pair<double, double> WaitingCpuShare(Setup& setup, int seconds)
{
    const pid_t device = setup.StartDevice({"--never-wake"});
    const pid_t update = setup.StartUpdate();
    // Past the start-up: the wait has begun once the first poll is traced.
    for (int i = 0; i < 5000 && !TraceMs(setup.Trace(), "poll 1"); ++i)
        std::this_thread::sleep_for(1ms);
    const auto t0 = Clock::now();
    const double cpu0 = CpuMsOf(update), dev0 = CpuMsOf(device);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu1 = CpuMsOf(update), dev1 = CpuMsOf(device);
    const double wall = Ms(Clock::now() - t0);
    ::kill(update, SIGINT);
    const RunResult ended = Reap(update, t0);
    ::kill(device, SIGTERM);
    Reap(device, t0);
    if (ended.status != 130)
        std::fprintf(stderr, "the cancelled updater ended with status %d, not 130\n", ended.status);
    return {100.0 * (cpu1 - cpu0) / wall, 100.0 * (dev1 - dev0) / wall};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tvqx-row-bench CLI DEVSIM [--quick]\n");
        return 2;
    }
    const std::string cli = fs::absolute(argv[1]).string();
    const std::string devsim = fs::absolute(argv[2]).string();
    const bool quick = argc > 3 && std::string(argv[3]) == "--quick";
    char pattern[] = "/tmp/tvqx-row-bench-XXXXXX";
    const fs::path root = mkdtemp(pattern);

    Setup rows(root / "rows", cli, devsim, 18);
    const std::string hex = rows.Hex();
    const Transfer transferred = TransferOf(hex);
    const double boundMs = static_cast<double>(transferred.bytes) * kByteMs;
    const int runs = quick ? 1 : 5;
    std::vector<double> transfer, wall, tickWait, cpu, deviceCpu, roundTrip;
    std::printf("(d) row update, %zu bytes of firmware at %u baud, line pacing on; line bound of the transfer"
                " %.1f ms\n", kFirmwareBytes, kBaud, boundMs);
    for (int i = 0; i < runs; ++i) {
        const RowRun run = RunRowUpdate(rows);
        if (!run.ok)
            return 1;
        transfer.push_back(run.transferMs);
        wall.push_back(run.wallMs);
        tickWait.push_back(run.tickWaitMs);
        cpu.push_back(100.0 * run.cpuMs / run.wallMs);
        deviceCpu.push_back(100.0 * run.deviceCpuMs / run.wallMs);
        // Each row waits for one pseudo-terminal round trip (the XON to
        // the updater, the row back) that a serial line does not have;
        // measured right after the run, under the same load.
        const double rtt = MeasurePtyRoundTripUs(2000).value_or(0);
        roundTrip.push_back(rtt);
        // Other programs on the machine delay both processes' wake-ups:
        // shown so that a slow run can be told from a slow program.
        std::printf("    run %d: transfer %.1f ms, over by %.2f%%; pseudo-terminal round trip %.1f us;"
                    " the rest of the machine busy on %.2f cores\n",
                    i + 1, run.transferMs, 100.0 * (run.transferMs - boundMs) / boundMs, rtt, run.otherCores);
    }
    const double t = Median(transfer);
    std::printf("    median transfer, entry command to '@': %.1f ms, over the bound by %.2f%% (target < 2%%)\n", t,
                100.0 * (t - boundMs) / boundMs);
    const double ptyMs = Median(roundTrip) * static_cast<double>(transferred.rows) / 1000.0;
    std::printf("    of that, %zu pseudo-terminal round trips: %.0f ms = %.2f%% of the bound; the rest, the two"
                " programs and the machine: %.2f%%\n",
                transferred.rows, ptyMs, 100.0 * ptyMs / boundMs, 100.0 * (t - boundMs - ptyMs) / boundMs);

    const double w = Median(wall);
    const double ticks = Median(tickWait);
    // The wake-up handshake and the entry command are on the line too.
    const double lineMs = boundMs + (2 + kEntryCommandBytes) * kByteMs;
    const double excess = t - boundMs;
    const double rest = w - kSettleMs - ticks - kBeforeEntryMs - lineMs - excess;
    std::printf("(e) whole run %.0f ms = settle %.0f + timer ticks %.0f + before entry %.0f + line %.0f"
                " + the transfer's excess %.0f + start-up and end %.0f\n"
                "    CPU during the run: updater %.2f%% of wall, tvqx-devsim %.2f%%\n",
                w, kSettleMs, ticks, kBeforeEntryMs, lineMs, excess, rest, Median(cpu), Median(deviceCpu));

    const int seconds = quick ? 10 : 60;
    Setup waiting(root / "waiting", cli, devsim, 19);
    const auto [updater, host] = WaitingCpuShare(waiting, seconds);
    std::printf("(f) waiting %d s for a unit that never wakes: updater CPU %.3f%% of wall (target < 1%%);"
                " tvqx-devsim %.3f%%\n",
                seconds, updater, host);

    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
