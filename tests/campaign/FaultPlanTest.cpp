// A seed must draw the same run every time (or a failure cannot be
// replayed), and the campaign must reach every variant and every kind of
// fault, with a share of runs left healthy.

#include "FaultPlan.h"

#include <gtest/gtest.h>

#include <set>

namespace tvqx::campaign {
namespace {

TEST(FaultPlan, TheSameSeedDrawsTheSameRun)
{
    for (uint64_t seed : {0ull, 1ull, 77ull, 123456789ull}) {
        const RunPlan a = DrawPlan(seed), b = DrawPlan(seed);
        EXPECT_EQ(a.Describe(), b.Describe());
        EXPECT_EQ(a.firmware, b.firmware);
        EXPECT_EQ(a.boundMs, b.boundMs);
    }
    EXPECT_NE(DrawPlan(1).Describe() + std::to_string(DrawPlan(1).firmware.size()),
              DrawPlan(2).Describe() + std::to_string(DrawPlan(2).firmware.size()));
}

TEST(FaultPlan, AThousandSeedsCoverTheVariantsAndTheFaults)
{
    std::set<int> variants;
    std::set<sim::LineFaultKind> kinds;
    std::set<std::string> deviceFaults;
    int healthy = 0, small = 0;
    for (uint64_t seed = 1; seed <= 1000; ++seed) {
        const RunPlan plan = DrawPlan(seed);
        variants.insert(plan.variant);
        healthy += plan.FaultFree();
        small += plan.firmware.size() <= 1200;
        for (const sim::LineFault& f : plan.lineFaults)
            kinds.insert(f.kind);
        for (const DeviceFault& f : plan.deviceFaults)
            deviceFaults.insert(f.name.substr(0, f.name.find(':')));
        EXPECT_GT(plan.boundMs, plan.patienceMs);
    }
    EXPECT_EQ(variants, std::set<int>(kCampaignVariants.begin(), kCampaignVariants.end()));
    EXPECT_EQ(kinds.size(), 6u);
    EXPECT_EQ(deviceFaults, (std::set<std::string>{"page loader", "row loader", "wake-up", "application", "radio"}));
    EXPECT_GT(healthy, 100);
    EXPECT_LT(healthy, 250);
    EXPECT_GT(small, 700);
}

} // namespace
} // namespace tvqx::campaign
