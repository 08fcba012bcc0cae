// tvqx-fault-campaign: many simulated updates, each with faults drawn from
// its own seed, and a summary of how the program took them.
//
//   tvqx-fault-campaign [--runs N] [--from S] [--variant V] [--jobs J] [--blind-spots]
//   tvqx-fault-campaign --seed N [--variant V]      one run, told in full
//
// --blind-spots also lists the runs whose success the protocol could not
// tell from a spoiled one (corruptions that passed its checks, an end
// marker the unit never heard).
//
// Runs use the seeds S, S+1, ... (S is 1 unless given). The exit status is
// non-zero when any run showed a false success, hung, or left the window,
// the port, Hex.tmp or the saved port wrong.

#include "CampaignRun.h"
#include "CampaignTally.h"
#include "tests/common/ScratchDir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tvqx::campaign {
namespace {

struct Options {
    uint64_t runs = 2000;
    uint64_t from = 1;
    std::optional<uint64_t> seed;
    std::optional<int> variant;
    unsigned jobs = 2;
    bool blindSpots = false;
};

const char kUsage[] = "usage: tvqx-fault-campaign [--runs N] [--from SEED] [--variant V] [--jobs J] [--blind-spots]\n"
                      "       tvqx-fault-campaign --seed N [--variant V]\n"
                      "variants: 1 2 3 4 5 6 10\n";

std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--blind-spots") {
            o.blindSpots = true;
            continue;
        }
        if (i + 1 >= argc)
            return std::nullopt;
        char* end = nullptr;
        const unsigned long long value = std::strtoull(argv[++i], &end, 10);
        if (!end || *end != '\0')
            return std::nullopt;
        if (arg == "--runs" && value > 0)
            o.runs = value;
        else if (arg == "--from")
            o.from = value;
        else if (arg == "--seed")
            o.seed = value;
        else if (arg == "--jobs" && value > 0 && value <= 64)
            o.jobs = static_cast<unsigned>(value);
        else if (arg == "--variant" && std::count(kCampaignVariants.begin(), kCampaignVariants.end(), int(value)))
            o.variant = static_cast<int>(value);
        else
            return std::nullopt;
    }
    return o;
}

std::string ReproduceCommand(uint64_t seed, const std::optional<int>& variant)
{
    std::string command = "tvqx-fault-campaign --seed " + std::to_string(seed);
    if (variant)
        command += " --variant " + std::to_string(*variant);
    return command;
}

std::string Verdict(const RunResult& r)
{
    std::string text = r.hung             ? "HUNG"
                       : r.falseSuccess   ? "FALSE SUCCESS"
                       : !r.broken.empty() ? "BROKEN"
                       : r.succeeded      ? "updated"
                                          : "failed safely";
    if (r.undetectedCorruption)
        text += " (corruption passed the checksum)";
    if (r.endMarkerUnheard)
        text += " (the unit never heard the end marker)";
    if (r.unacknowledgedUpdate)
        text += " (unit updated, last answer lost)";
    for (const std::string& b : r.broken)
        text += "\n  broken: " + b;
    return text;
}

// Runs the seeds on `jobs` threads; each thread has its own files.
Tally RunMany(const Options& o)
{
    std::atomic<uint64_t> next{0};
    std::mutex printing;
    std::vector<Tally> tallies(o.jobs);
    // The seed each thread is on and since when (real time), so that a run
    // that stops time itself still gets reported.
    std::vector<std::atomic<uint64_t>> current(o.jobs);
    std::vector<std::atomic<int64_t>> since(o.jobs);
    auto nowS = [] {
        const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration_cast<std::chrono::seconds>(sinceStart).count();
    };
    std::atomic<unsigned> running{o.jobs};
    std::vector<std::thread> threads;
    for (unsigned j = 0; j < o.jobs; ++j) {
        since[j] = 0;
        threads.emplace_back([&, j] {
            test::ScratchDir dir("tvqx-campaign");
            const std::string programDir = dir.MakeDir("program/");
            const std::string tempDir = dir.MakeDir("temp/");
            for (uint64_t i; (i = next++) < o.runs;) {
                const uint64_t seed = o.from + i;
                current[j] = seed;
                since[j] = nowS();
                const RunPlan plan = DrawPlan(seed, o.variant);
                const RunResult r = RunCampaignRun(plan, programDir, tempDir);
                tallies[j].Add(plan, r);
                if (!r.Passed() || (o.blindSpots && (r.undetectedCorruption || r.endMarkerUnheard))) {
                    std::lock_guard<std::mutex> lock(printing);
                    std::cout << "seed " << seed << ": " << Verdict(r) << "\n  " << plan.Describe()
                              << "\n  reproduce: " << ReproduceCommand(seed, o.variant) << std::endl;
                }
            }
            since[j] = 0;
            --running;
        });
    }
    constexpr int64_t kStuckAfterS = 300;
    while (running > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        for (unsigned j = 0; j < o.jobs; ++j)
            if (since[j] != 0 && nowS() - since[j] > kStuckAfterS) {
                std::cout << "seed " << current[j] << ": STUCK in real time (virtual time stopped)\n  reproduce: "
                          << ReproduceCommand(current[j], o.variant) << std::endl;
                std::_Exit(3);
            }
    }
    for (std::thread& t : threads)
        t.join();
    Tally total;
    for (const Tally& t : tallies)
        total.Merge(t);
    return total;
}

int RunOne(const Options& o)
{
    const RunPlan plan = DrawPlan(*o.seed, o.variant);
    test::ScratchDir dir("tvqx-campaign");
    const RunResult r = RunCampaignRun(plan, dir.MakeDir("program/"), dir.MakeDir("temp/"));
    std::cout << "seed " << *o.seed << ": " << plan.Describe() << "\n";
    for (const sim::LineFault& f : r.fired)
        std::cout << "  fired: " << LineFaultName(f) << " at byte " << f.atByte << "\n";
    std::cout << "  " << r.virtualMs << " ms of virtual time; " << Verdict(r) << std::endl;
    return r.Passed() ? 0 : 1;
}

} // namespace
} // namespace tvqx::campaign

int main(int argc, char** argv)
{
    using namespace tvqx::campaign;
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    if (options->seed)
        return RunOne(*options);
    const auto start = std::chrono::steady_clock::now();
    const Tally tally = RunMany(*options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    tally.Print(std::cout, seconds, options->from);
    return tally.Passed() ? 0 : 1;
}
