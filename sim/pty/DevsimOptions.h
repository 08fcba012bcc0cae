#pragma once
// The command line of tvqx-devsim: which COM number to appear as (and how
// many units to host from there on), which unit to be (one per update
// variant), how the line is paced, where the flash goes, and the unit's
// scripted faults.

#include "sim/VariantDevices.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::sim {

// Line noise at a time counted from the host's start (the device's own noise
// times are on the host clock, which the command line cannot know).
struct NoiseAfterStart {
    uint64_t afterStartMs = 0;
    std::vector<uint8_t> bytes{};
};

struct DevsimOptions {
    int comNumber = 0;
    // Units of the same variant on COMn, COMn+1, ...
    int units = 1;
    // The COM number whose unit alone gets the unit options below (faults,
    // noise, --in-application); 0: every unit gets them.
    int faultyUnit = 0;
    unsigned updates = 0;   // 0: run until stopped
    bool fast = false;
    bool quiet = false;
    // A file, a pattern with {port} or a folder ending in '/' (see UnitOptions).
    std::string flashOut{};
    // The update variant whose unit is simulated: 10, 1, 2, 3, 4, 5 or 6.
    int variant = 10;
    // Variant 2: power up with the application running instead of in the
    // boot loader.
    bool inApplication = false;
    // Each variant's unit uses the parts it has; an option that sets a part
    // the chosen unit lacks is refused.
    VariantDeviceFaults faults{};
    std::vector<NoiseAfterStart> noise{};
};

struct DevsimCommandLine {
    enum class Outcome { Run, Help, Error };
    Outcome outcome = Outcome::Error;
    DevsimOptions options{};
    std::string error{};   // for Error: one line saying what is wrong
};

DevsimCommandLine ParseDevsimCommandLine(const std::vector<std::string>& args);

// The options of the unit on COM`comNumber`, one of `all`'s units: its own
// port, its own flash file ({port} in --flash-out replaced by COMn, or
// COMn.bin in a folder ending in '/'), and the unit options unless another
// unit is the faulty one; then it is a healthy unit of the variant.
DevsimOptions UnitOptions(const DevsimOptions& all, int comNumber);

// The name of each variant's unit on the command line ("page", "row-wake",
// ...), and the variant a name or number given to --variant stands for (0
// when none).
std::string VariantName(int variant);
int VariantFromName(const std::string& name);

// The text of --help, and the options it has to explain.
std::string DevsimUsage();
std::vector<std::string> DevsimOptionNames();

} // namespace tvqx::sim
