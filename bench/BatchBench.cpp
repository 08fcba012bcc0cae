// A bench of units: 8 units of 64 KiB through one tvqx-devsim with line
// pacing, updated by one tvqx-update-cli batch, against one unit updated
// alone on the same line: the batch's wall time beside the single run's,
// and the updater's CPU share of the wall time for each.
//
// usage: tvqx-batch-bench CLI DEVSIM VARIANT_NAME [--quick | --units N]
//   CLI is built for the procedure the devsim unit VARIANT_NAME answers
//   ("page" for 10, "1" for 1). --quick: 8 KiB and 4 units; --units: N
//   units of 64 KiB.

#include "bench/BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tvqx::bench;
using namespace std::chrono_literals;

constexpr int kFirstCom = 5;

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: tvqx-batch-bench CLI DEVSIM VARIANT_NAME [--quick | --units N]\n");
        return 2;
    }
    const bool quick = argc > 4 && std::string(argv[4]) == "--quick";
    const size_t bytes = quick ? 8192 : 65536;
    const int units = quick ? 4 : argc > 5 && std::string(argv[4]) == "--units" ? std::atoi(argv[5]) : 8;
    if (units < 1 || units > 64) {
        std::fprintf(stderr, "tvqx-batch-bench: --units takes 1 to 64\n");
        return 2;
    }

    const fs::path root = fs::temp_directory_path() / ("tvqx-batch-bench-" + std::to_string(::getpid()));
    fs::create_directories(root / "bundle");
    fs::copy_file(fs::absolute(argv[1]), root / "bundle" / "tvqx-update-cli");
    std::ofstream(root / "bundle" / "Tollvane-QX-R_with_Rd_Sw_Conn.txt") << "bench\r\nbench.hex\r\n";
    std::ofstream(root / "bundle" / "bench.hex", std::ios::binary) << MakeHex(bytes);
    const std::vector<std::string> env{"XDG_CONFIG_HOME=" + (root / "config").string(),
                                       "XDG_RUNTIME_DIR=" + root.string()};

    const pid_t device = Spawn({fs::absolute(argv[2]).string(), "--com", std::to_string(kFirstCom), "--units",
                                std::to_string(units), "--variant", argv[3], "--quiet"},
                               env, (root / "devsim.log").string());
    const fs::path last = root / "config" / "Ostrale Systems" / "ports" / ("COM" + std::to_string(kFirstCom + units - 1));
    for (int i = 0; i < 5000 && !fs::exists(fs::symlink_status(last)); ++i)
        std::this_thread::sleep_for(1ms);

    auto update = [&](int count) {
        std::vector<std::string> args{(root / "bundle" / "tvqx-update-cli").string()};
        for (int n = 0; n < count; ++n)
            args.insert(args.end(), {"--port", "COM" + std::to_string(kFirstCom + n)});
        return Run(args, env, (root / ("cli" + std::to_string(count) + ".log")).string());
    };
    const RunResult one = update(1);
    const RunResult all = update(units);
    ::kill(device, SIGTERM);
    Reap(device, Clock::now());

    std::printf("procedure %s, %zu bytes, %d units through one tvqx-devsim with line pacing\n", argv[3], bytes,
                units);
    std::printf("  one unit alone:  %8.1f s wall, updater CPU %5.2f %% of the wall time (status %d)\n",
                one.wallMs / 1000, 100 * one.cpuMs / one.wallMs, one.status);
    std::printf("  batch of %2d:     %8.1f s wall (%+.1f %%), updater CPU %5.2f %% of one core (status %d)\n", units,
                all.wallMs / 1000, 100 * (all.wallMs - one.wallMs) / one.wallMs, 100 * all.cpuMs / all.wallMs,
                all.status);
    std::error_code ec;
    if (one.status == 0 && all.status == 0)
        fs::remove_all(root, ec);
    else
        std::printf("  logs kept in %s\n", root.c_str());
    return one.status == 0 && all.status == 0 ? 0 : 1;
}
