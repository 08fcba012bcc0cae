// The device's answers as the update reads them. The first byte picks the
// update procedure, the second the DSR pattern, the third what the user does
// (bit 0: Start Update rather than Cancel in the rover module dialog; bit 1:
// the larger firmware); the rest is the script of a ReplayDevice on COM3.
// One whole update runs on virtual time with the window headless.
//
// Afterwards the window must be back where a user can start again with the
// port closed, and a success must have sent at least the firmware's bytes.

#include "fuzz/FuzzSupport.h"
#include "fuzz/ReplayDevice.h"
#include "fuzz/UpdateHarness.h"

#include <cstdio>
#include <cstdlib>

using namespace tvqx;
using namespace tvqx::fuzz;

namespace {

// Far above what any run takes with every wait timing out, far below a hang.
constexpr uint64_t kHangAfterMs = 30 * 60 * 1000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    HarnessChoices choices;
    choices.variant = kHarnessVariants[data[0] % std::size(kHarnessVariants)];
    choices.startInDialog = data[2] & 1;
    choices.firmwareSize = kFirmwareSizes[(data[2] >> 1) & 1];

    ReplayDevice device(data + 3, size - 3, data[1], kHarnessStartMs + kHangAfterMs);
    UpdateHarness harness(device);
    harness.Run(choices);

    // TVQX_FUZZ_VERBOSE=1: how each input ended, for looking at a seed or a finding.
    static const bool verbose = std::getenv("TVQX_FUZZ_VERBOSE") != nullptr;
    if (verbose)
        std::fprintf(stderr, "variant %d: %s (%zu bytes sent, %llu ms)\n", choices.variant,
                     harness.ResultText().c_str(), device.BytesHeard(),
                     static_cast<unsigned long long>(harness.clock.Now() - kHarnessStartMs));

    FUZZ_CHECK(harness.WindowIsIdle());
    if (harness.ReportedSuccess())
        FUZZ_CHECK(device.BytesHeard() >= choices.firmwareSize);
    return 0;
}
