#pragma once
// The options tvqx-devsim knows: each one's name, whether it takes a value,
// which units it applies to, and what it sets.

#include "sim/pty/DevsimOptions.h"

#include <cstdint>
#include <functional>
#include <optional>
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
    kUnitRadioRow = 1u << 6,       // variant 3
    kUnitRadioPage = 1u << 7,      // variant 6
};
inline constexpr unsigned kUnitsRadio = kUnitRadioRow | kUnitRadioPage;
inline constexpr unsigned kUnitsAll =
    kUnitPage | kUnitRowWake | kUnitRowApp | kUnitPage256Wake | kUnitPage256Start | kUnitsRadio;
// The page and row faults reach the boot loader behind the radio link too.
inline constexpr unsigned kUnitsPages = kUnitPage | kUnitPage256Wake | kUnitPage256Start | kUnitRadioPage;
inline constexpr unsigned kUnitsRows = kUnitRowWake | kUnitRowApp | kUnitRadioRow;
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

// A decimal number from 0 to `max`; none for anything else.
std::optional<uint64_t> ParseUnsigned(const std::string& text, uint64_t max);

// The radio variants' options (DevsimRadioOptions.cpp).
std::vector<DevsimOptionSpec> RadioSpecs();

// The boot loader options are set on the page boot loader's faults while
// parsing; this gives the row boot loader the same.
void ShareBootLoaderFaults(VariantDeviceFaults& faults, bool endAnswerGiven);

} // namespace tvqx::sim
