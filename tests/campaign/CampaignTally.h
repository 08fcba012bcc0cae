#pragma once
// The campaign's figures: what was run, what was injected, how it ended.

#include "CampaignRun.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

namespace tvqx::campaign {

struct Tally {
    uint64_t runs = 0;
    uint64_t faultFreeRuns = 0;
    uint64_t successes = 0;
    uint64_t failures = 0;
    uint64_t falseSuccesses = 0;
    uint64_t hangs = 0;
    uint64_t brokenRuns = 0;
    uint64_t undetectedCorruptions = 0;
    uint64_t unacknowledgedUpdates = 0;
    uint64_t endMarkersUnheard = 0;
    uint64_t virtualMs = 0;
    // Line faults count when they acted; the unit's scripted faults when
    // they were set up.
    std::map<std::string, uint64_t> faults;
    std::map<int, uint64_t> runsByVariant;
    std::map<int, uint64_t> successesByVariant;

    void Add(const RunPlan& plan, const RunResult& result);
    void Merge(const Tally& other);
    uint64_t FaultsInjected() const;
    bool Passed() const { return falseSuccesses == 0 && hangs == 0 && brokenRuns == 0; }
    void Print(std::ostream& out, double realSeconds, uint64_t firstSeed) const;
};

} // namespace tvqx::campaign
