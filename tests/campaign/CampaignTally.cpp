#include "CampaignTally.h"

#include <iomanip>

namespace tvqx::campaign {

void Tally::Add(const RunPlan& plan, const RunResult& r)
{
    ++runs;
    faultFreeRuns += r.faultFree;
    ++runsByVariant[r.variant];
    if (r.hung) {
        ++hangs;
    } else if (r.succeeded) {
        ++successes;
        ++successesByVariant[r.variant];
    } else {
        ++failures;
    }
    falseSuccesses += r.falseSuccess;
    brokenRuns += !r.broken.empty();
    undetectedCorruptions += r.undetectedCorruption;
    unacknowledgedUpdates += r.unacknowledgedUpdate;
    endMarkersUnheard += r.endMarkerUnheard;
    virtualMs += r.virtualMs;
    for (const sim::LineFault& f : r.fired)
        ++faults["line: " + LineFaultName(f)];
    for (const DeviceFault& f : plan.deviceFaults)
        ++faults["device: " + f.name];
}

void Tally::Merge(const Tally& o)
{
    runs += o.runs;
    faultFreeRuns += o.faultFreeRuns;
    successes += o.successes;
    failures += o.failures;
    falseSuccesses += o.falseSuccesses;
    hangs += o.hangs;
    brokenRuns += o.brokenRuns;
    undetectedCorruptions += o.undetectedCorruptions;
    unacknowledgedUpdates += o.unacknowledgedUpdates;
    endMarkersUnheard += o.endMarkersUnheard;
    virtualMs += o.virtualMs;
    for (const auto& [name, n] : o.faults)
        faults[name] += n;
    for (const auto& [v, n] : o.runsByVariant)
        runsByVariant[v] += n;
    for (const auto& [v, n] : o.successesByVariant)
        successesByVariant[v] += n;
}

uint64_t Tally::FaultsInjected() const
{
    uint64_t n = 0;
    for (const auto& [name, count] : faults)
        n += count;
    return n;
}

void Tally::Print(std::ostream& out, double realSeconds, uint64_t firstSeed) const
{
    out << "fault campaign: seeds " << firstSeed << " to " << firstSeed + runs - 1 << "\n";
    out << "runs                      " << runs << " (" << faultFreeRuns << " without faults)\n";
    out << "  by variant             ";
    for (const auto& [v, n] : runsByVariant)
        out << " " << v << ":" << n << "/" << (successesByVariant.count(v) ? successesByVariant.at(v) : 0);
    out << "  (runs/updated)\n";
    out << "faults injected           " << FaultsInjected() << "\n";
    for (const auto& [name, n] : faults)
        out << "  " << std::left << std::setw(44) << name << std::right << n << "\n";
    out << "successes                 " << successes << " (of which the unit never heard the unanswered end marker: "
        << endMarkersUnheard << ")\n";
    out << "failures                  " << failures << " (of which the unit was updated but its last answer lost: "
        << unacknowledgedUpdates << ")\n";
    out << "false successes           " << falseSuccesses << "\n";
    out << "hangs                     " << hangs << "\n";
    out << "broken invariants         " << brokenRuns << " runs\n";
    out << "undetected corruptions    " << undetectedCorruptions
        << " (success shown, the protocol's checks fooled by the line)\n";
    out << std::fixed << std::setprecision(1) << "time                      " << realSeconds << " s real, "
        << virtualMs / 3'600'000.0 << " h virtual\n";
    out << (Passed() ? "PASSED" : "FAILED") << std::endl;
}

} // namespace tvqx::campaign
