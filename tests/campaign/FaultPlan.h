#pragma once
// What one run of the fault campaign does, drawn from its seed alone: the
// variant, the firmware, the faults of the line and of the simulated device,
// and how long the user waits before giving up. The same seed always draws
// the same run, on any machine, so that a failing run can be replayed.

#include "sim/FaultyLine.h"
#include "sim/VariantDevices.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace tvqx::campaign {

inline const std::vector<int> kCampaignVariants{1, 2, 3, 4, 5, 6, 10};

// The virtual time at which every run's clock starts.
inline constexpr uint64_t kRunStartMs = 10'000;

// A small generator whose sequence is fixed by its seed everywhere (the
// standard distributions are not).
class Dice {
public:
    explicit Dice(uint64_t seed);
    uint64_t Next();
    // 0 <= result < n (n > 0).
    uint64_t Below(uint64_t n) { return Next() % n; }
    // lo <= result <= hi.
    uint64_t Between(uint64_t lo, uint64_t hi) { return lo + Below(hi - lo + 1); }
    bool Percent(unsigned chance) { return Below(100) < chance; }
    uint8_t Byte() { return static_cast<uint8_t>(Next() >> 24); }
    template <typename T> const T& Pick(const std::vector<T>& from) { return from[Below(from.size())]; }
    template <typename T> T OneOf(std::initializer_list<T> values) { return values.begin()[Below(values.size())]; }

private:
    uint64_t m_state;
};

// One scripted fault of the device, by the name it is counted under.
// `noisy` faults put bytes on the line that the device did not mean as an
// answer, which the protocol's checks may or may not catch.
struct DeviceFault {
    std::string name;
    bool noisy = false;
};

struct RunPlan {
    uint64_t seed = 0;
    int variant = 10;
    std::vector<uint8_t> firmware;   // at address 0
    sim::VariantDeviceFaults device;
    std::vector<DeviceFault> deviceFaults;
    std::vector<sim::LineFault> lineFaults;
    // How long the user waits for the unit to wake up, or for the rover
    // module's line in its dialog, before pressing Cancel.
    uint32_t patienceMs = 30'000;
    // The longest any run of this plan may take from the press on, from
    // the protocol's own time-outs: beyond it the program hangs.
    uint64_t boundMs = 0;

    bool FaultFree() const { return deviceFaults.empty() && lineFaults.empty(); }
    bool Noisy() const;
    // Pages or rows the transfer has.
    size_t Blocks() const;
    std::string Describe() const;
};

// The image a page variant sends: the firmware padded with 0xFF to whole
// 256-byte blocks (at least one).
std::vector<uint8_t> PageImage(const std::vector<uint8_t>& firmware);
size_t PageSizeOf(int variant);
bool IsRowVariant(int variant);
bool IsWaitingVariant(int variant);
bool IsRadioVariant(int variant);

// `variant` forces the variant; otherwise it is drawn too.
RunPlan DrawPlan(uint64_t seed, std::optional<int> variant = std::nullopt);

// The name a line fault is counted under ("flip to device", ...).
std::string LineFaultName(const sim::LineFault& fault);

} // namespace tvqx::campaign
