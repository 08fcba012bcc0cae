#pragma once
// The options tvqx-devsim knows: each one's name, whether it takes a value,
// which units it applies to, and what it sets.

#include "sim/pty/DevsimOptions.h"

#include <functional>
#include <string>
#include <vector>

namespace tvqx::sim {

// The units an option applies to, as a set of bits.
enum DevsimUnit : unsigned {
    kUnitPage = 1u << 0,           // variant 10
    kUnitRowWake = 1u << 1,        // variant 1
    kUnitRowApp = 1u << 2,         // variant 2
    kUnitPage256Wake = 1u << 3,    // variant 4
    kUnitPage256Start = 1u << 4,   // variant 5
    // Variant 2 powered up in its application (--in-application).
    kUnitApplication = 1u << 5,
};
inline constexpr unsigned kUnitsAll =
    kUnitPage | kUnitRowWake | kUnitRowApp | kUnitPage256Wake | kUnitPage256Start;
inline constexpr unsigned kUnitsPages = kUnitPage | kUnitPage256Wake | kUnitPage256Start;
inline constexpr unsigned kUnitsRows = kUnitRowWake | kUnitRowApp;
inline constexpr unsigned kUnitsWakeUp = kUnitRowWake | kUnitPage256Wake | kUnitPage256Start;

// The unit bit of a variant (0 for a variant without a unit).
unsigned UnitOf(int variant);

struct DevsimOptionSpec {
    const char* name;
    bool takesValue;
    unsigned appliesTo;
    // False when the value is no good.
    std::function<bool(DevsimOptions&, const std::string&)> set;
};

const std::vector<DevsimOptionSpec>& DevsimOptionSpecs();

// The boot loader options are set on the page boot loader's faults while
// parsing; this gives the row boot loader the same.
void ShareBootLoaderFaults(VariantDeviceFaults& faults, bool endAnswerGiven);

} // namespace tvqx::sim
