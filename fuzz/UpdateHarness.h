#pragma once
// One whole update on virtual time with the window headless, against
// whatever device is put on COM3: what the device-answers fuzz target runs
// for every input, and what the seed maker records the simulator's answers
// from.

#include "testsupport/ProgramOnVirtualTime.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tvqx::fuzz {

inline constexpr int kHarnessPort = 3;
inline constexpr uint64_t kHarnessStartMs = 10'000;
// How long the user waits where the program waits for the device without a
// limit (the boot loader's announcement, the remote unit's parameters).
inline constexpr uint64_t kUserPatienceMs = 20'000;
// The procedures the first input byte picks from.
inline constexpr int kHarnessVariants[] = {10, 1, 2, 4, 5, 3, 6};
inline constexpr size_t kFirmwareSizes[] = {16, 300};

struct HarnessChoices {
    int variant = 10;
    size_t firmwareSize = kFirmwareSizes[0];
    // In the rover module dialog: Start Update as soon as it can be pressed,
    // or Cancel.
    bool startInDialog = true;
};

class UpdateHarness : public ProgramOnVirtualTime<> {
public:
    explicit UpdateHarness(sim::SimDevice& device);

    // Opens the window on COM3, presses Begin Update and lets the program run
    // until the update is over, giving up once on a wait without a limit.
    void Run(const HarnessChoices& choices);

    // Back where a user can start again: the window at rest, the port
    // closed, "Begin Update" enabled, normal cursor.
    bool WindowIsIdle() const;
    bool ReportedSuccess() const;
    std::string ResultText() const;

private:
    void RunWindow(uint64_t limitMs);
    void AnswerRoverDialog(CDialog& dialog, bool start);
};

} // namespace tvqx::fuzz
