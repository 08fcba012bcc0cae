// The console program's command line: any arguments (separated by NUL bytes
// in the input) give one of the actions, a port in range, and a reason
// whenever they are refused.

#include "cli/CliOptions.h"
#include "fuzz/FuzzSupport.h"

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
    FUZZ_CHECK(options.port >= 0 && options.port <= 22);
    return 0;
}
