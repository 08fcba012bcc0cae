// The console program's command line: any arguments (separated by NUL bytes
// in the input) give one of the actions, ports in range and none twice, and a reason
// whenever they are refused.

#include "cli/CliOptions.h"
#include "fuzz/FuzzSupport.h"

#include <set>

using namespace tvqx;
using tvqx::cli::CliOptions;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CliOptions options = cli::ParseCliOptions(fuzz::SplitArguments(data, size));
    if (options.action == CliOptions::Action::Invalid) {
        FUZZ_CHECK(!options.error.empty());
        return 0;
    }
    FUZZ_CHECK(options.error.empty());
    // Every port is one of COM1-COM22 or a device, and none is taken twice.
    std::set<int> numbers;
    for (const cli::PortChoice& port : options.ports) {
        FUZZ_CHECK((port.number >= 1 && port.number <= 22) != !port.device.empty());
        FUZZ_CHECK(port.number == 0 || numbers.insert(port.number).second);
    }
    FUZZ_CHECK(!(options.allPorts && !options.ports.empty()));
    return 0;
}
