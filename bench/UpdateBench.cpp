// Measures, for page images of 256 bytes, 8 KiB and 64 KiB:
//  (a) the HEX to image conversion, beside srec_cat and objcopy on the same
//      files (those are whole processes: their start-up is in their figure);
//  (b) the wall time of a whole update by tvqx-update-cli through
//      tvqx-devsim --fast, against the pauses the protocol itself demands
//      (500 ms, then 50 ms a page, then 20 ms);
//  (c) the updater's CPU time as a share of its wall time.
// With --trace the updater writes its wire trace meanwhile, so that the two
// kinds of run can be compared.
//
// usage: tvqx-bench CLI DEVSIM [--quick] [--trace]

#include "bench/BenchSupport.h"
#include "firmware/HexImage.h"

#include <sys/stat.h>

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

bool HaveTool(const char* name)
{
    return Run({"sh", "-c", std::string("command -v ") + name}).status == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tvqx-bench CLI DEVSIM [--quick] [--trace]\n");
        return 2;
    }
    const std::string cli = fs::absolute(argv[1]).string();
    const std::string devsim = fs::absolute(argv[2]).string();
    bool quick = false;
    bool trace = false;
    for (int i = 3; i < argc; ++i) {
        quick = quick || std::string(argv[i]) == "--quick";
        trace = trace || std::string(argv[i]) == "--trace";
    }
    char pattern[] = "/tmp/tvqx-bench-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const std::vector<size_t> sizes = {256, 8192, 65536};

    std::printf("(a) HEX to page image, median of repeated runs\n");
    std::printf("%10s %14s %14s %14s\n", "image", "tvqx (ms)", "srec_cat (ms)", "objcopy (ms)");
    const bool haveSrec = HaveTool("srec_cat");
    const bool haveObjcopy = HaveTool("objcopy");
    for (size_t size : sizes) {
        const std::string hex = (root / ("image" + std::to_string(size) + ".hex")).string();
        std::ofstream(hex, std::ios::binary) << MakeHex(size);
        const std::string out = (root / "out.bin").string();
        std::vector<double> ours, srec, objcopy;
        for (int i = 0; i < (quick ? 5 : 50); ++i) {
            const auto t = Clock::now();
            if (tvqx::ConvertHexFileToImage(hex, out) != tvqx::ConvertResult::Ok)
                return 1;
            ours.push_back(Ms(Clock::now() - t));
        }
        for (int i = 0; i < (quick ? 3 : 15); ++i) {
            if (haveSrec)
                srec.push_back(Run({"srec_cat", hex, "-Intel", "-o", out, "-Binary"}).wallMs);
            if (haveObjcopy)
                objcopy.push_back(Run({"objcopy", "-I", "ihex", "-O", "binary", hex, out}).wallMs);
        }
        std::printf("%10zu %14.3f %14s %14s\n", size, Median(ours),
                    haveSrec ? std::to_string(Median(srec)).substr(0, 7).c_str() : "n/a",
                    haveObjcopy ? std::to_string(Median(objcopy)).substr(0, 7).c_str() : "n/a");
    }

    std::printf("\n(b, c) whole update through tvqx-devsim --fast%s\n", trace ? ", wire trace on" : "");
    std::printf("%10s %7s %12s %12s %12s %10s %10s\n", "image", "pages", "demanded ms", "wall ms",
                "overhead ms", "overhead", "cpu/wall");
    int com = 20;
    for (size_t size : sizes) {
        const fs::path bundle = root / ("bundle" + std::to_string(size));
        const fs::path config = root / ("config" + std::to_string(size));
        fs::create_directories(bundle);
        fs::copy_file(cli, bundle / "tvqx-update-cli");
        std::ofstream(bundle / "Tollvane-QX-R_with_Rd_Sw_Conn.txt") << "bench\r\nbench.hex\r\n";
        std::ofstream(bundle / "bench.hex", std::ios::binary) << MakeHex(size);
        const std::string env = "XDG_CONFIG_HOME=" + config.string();
        const std::string port = "COM" + std::to_string(com);

        // The device runs in the background for exactly one update.
        std::thread device([&] {
            Run({devsim, "--com", std::to_string(com), "--fast", "--quiet", "--updates", "1"}, {env});
        });
        const fs::path entry = config / "Ostrale Systems" / "ports" / port;
        for (int i = 0; i < 2000 && !fs::exists(fs::symlink_status(entry)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::vector<std::string> update = {(bundle / "tvqx-update-cli").string(), "--port", port};
        if (trace)
            update.insert(update.end(), {"--trace", (root / ("trace" + std::to_string(size) + ".txt")).string()});
        const RunResult r = Run(update, {env});
        device.join();
        const size_t pages = size / 128;
        const double demanded = 500.0 + 50.0 * pages + 20.0;
        std::printf("%10zu %7zu %12.0f %12.1f %12.1f %9.2f%% %9.2f%%%s\n", size, pages, demanded, r.wallMs,
                    r.wallMs - demanded, 100.0 * (r.wallMs - demanded) / demanded, 100.0 * r.cpuMs / r.wallMs,
                    r.status == 0 ? "" : "  (update FAILED)");
        ++com;
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
