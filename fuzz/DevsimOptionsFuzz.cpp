// tvqx-devsim's command line: any arguments (separated by NUL bytes in the
// input) are refused with a reason or give units the host can build and
// run; the unit so built is powered, sent the boot loader's entry command
// and a few bytes more, and looked at over ten seconds of its time, so that
// every fault the command line can script meets the clock.

#include "fuzz/FuzzSupport.h"
#include "sim/pty/DevsimOptions.h"
#include "sim/pty/HostedDevice.h"

#include <sstream>
#include <string>
#include <vector>

using namespace tvqx;
using namespace tvqx::sim;

namespace {

constexpr uint64_t kNsPerMs = 1'000'000;

void RunBriefly(const DevsimOptions& options)
{
    std::ostringstream sink;
    DevsimTrace trace(sink, 0, options.quiet);
    HostedDevice unit(options, 0, trace);
    FUZZ_CHECK(!unit.Description().empty());
    unit.PowerOn(0);
    unit.SetLineSpeed(unit.TalkingBaud(), 0);
    const std::string said = std::string("~#&TV-QX-R-205-7.31") + "\x00\x01" + "!@<V\r" + "\x7E\x00\x05" + "\xFF";
    std::vector<uint8_t> heard;
    uint64_t nowNs = kNsPerMs;
    for (char c : said) {
        unit.Take({nowNs, static_cast<uint8_t>(c)});
        nowNs += kNsPerMs;
        unit.Collect(nowNs, heard);
        FUZZ_CHECK(unit.ReleasedNs(nowNs) <= nowNs);
    }
    for (int step = 0; step < 100; ++step) {
        const auto next = unit.NextLookNs(nowNs);
        nowNs += next && *next > nowNs ? std::min<uint64_t>(*next - nowNs, 100 * kNsPerMs) : 100 * kNsPerMs;
        unit.Collect(nowNs, heard);
        if (step == 50 && unit.HasSetupButton())
            unit.PressSetupButton(nowNs);
    }
    unit.PowerOff(nowNs);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const DevsimCommandLine command = ParseDevsimCommandLine(fuzz::SplitArguments(data, size));
    switch (command.outcome) {
    case DevsimCommandLine::Outcome::Help:
        return 0;
    case DevsimCommandLine::Outcome::Error:
        FUZZ_CHECK(!command.error.empty());
        return 0;
    case DevsimCommandLine::Outcome::Run:
        break;
    }
    const DevsimOptions& options = command.options;
    FUZZ_CHECK(options.comNumber >= 1 && options.units >= 1 && options.comNumber + options.units - 1 <= 22);
    FUZZ_CHECK(options.faultyUnit == 0 ||
               (options.faultyUnit >= options.comNumber && options.faultyUnit < options.comNumber + options.units));
    FUZZ_CHECK(!VariantName(options.variant).empty());
    FUZZ_CHECK(VariantFromName(VariantName(options.variant)) == options.variant);
    // Every unit of a bench is built as the host builds it: its own port and
    // flash file, the faults only where they were given.
    for (int com = options.comNumber; com < options.comNumber + options.units; ++com) {
        const DevsimOptions unit = UnitOptions(options, com);
        FUZZ_CHECK(unit.comNumber == com && unit.units == 1 && unit.variant == options.variant);
        if (com == options.comNumber || com == options.faultyUnit)
            RunBriefly(unit);
    }
    return 0;
}
