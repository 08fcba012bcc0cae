#pragma once
// One run of the fault campaign: the whole program on virtual time, from
// "Begin Update" to the window at rest, against the variant's simulated unit
// behind a faulty line, with a user who does what the window asks of them;
// then the verdict on what the program showed against what the unit holds.

#include "FaultPlan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::campaign {

struct RunResult {
    uint64_t seed = 0;
    int variant = 0;
    bool faultFree = false;
    // "successfully updated" in the result line and in a message box.
    bool succeeded = false;
    // The unit's flash holds the firmware, and nothing else.
    bool flashMatches = false;
    // The unit heard the end of the transfer (the end marker or the
    // end-of-file record).
    bool deviceHeardEnd = false;
    // Success shown on a unit that does not hold the firmware, where the
    // program sent it whole and the line or the unit spoiled it in a way the
    // protocol cannot see.
    bool undetectedCorruption = false;
    // Success shown on a unit that does not hold the firmware, with nothing
    // to excuse it: a fault of the program.
    bool falseSuccess = false;
    // The unit holds the firmware but the program reported a failure (its
    // last answer was lost): safe, and the user simply retries.
    bool unacknowledgedUpdate = false;
    // Success shown, the flash right, but the page boot loader never heard
    // the end marker, which it does not answer: the program cannot know.
    bool endMarkerUnheard = false;
    // Virtual time ran past the plan's bound.
    bool hung = false;
    // What was wrong with the window, the port, Hex.tmp or the settings.
    std::vector<std::string> broken;
    std::vector<sim::LineFault> fired;
    uint64_t virtualMs = 0;

    bool Passed() const { return !hung && !falseSuccess && broken.empty(); }
};

// `programDir` and `tempDir` end in '/' and belong to the caller's thread
// alone; the firmware files are written afresh and Hex.tmp removed first.
RunResult RunCampaignRun(const RunPlan& plan, const std::string& programDir, const std::string& tempDir);

} // namespace tvqx::campaign
