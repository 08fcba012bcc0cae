// The verdict of one run must be right, or the campaign's figures mean
// nothing: a corruption the checksum cannot see is counted as such and not
// as the program's fault, a wrong flash with nothing to excuse it is a false
// success, and a run that never ends is caught. (Healthy units, spoiled
// bytes and users who give up are the campaign's own runs.)

#include "CampaignRun.h"

#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

namespace tvqx::campaign {
namespace {

class CampaignRunTest : public ::testing::Test {
protected:
    RunResult Run(const RunPlan& plan) { return RunCampaignRun(plan, m_program, m_temp); }

    // A healthy unit and a clean line for `variant`, with three pages'
    // worth of firmware.
    static RunPlan Healthy(int variant)
    {
        RunPlan plan = DrawPlan(1, variant);
        plan.device = {};
        plan.device.radio.setupAfterListenMs = 1000;
        plan.deviceFaults.clear();
        plan.lineFaults.clear();
        plan.firmware.assign(600, 0);
        for (size_t i = 0; i < plan.firmware.size(); ++i)
            plan.firmware[i] = static_cast<uint8_t>(i * 7 + 3);
        return plan;
    }

    test::ScratchDir m_dir{"tvqx-campaign-test"};
    std::string m_program = m_dir.MakeDir("program/");
    std::string m_temp = m_dir.MakeDir("temp/");
};

TEST_F(CampaignRunTest, APageNumberSpoiledOnTheLineIsAnUndetectedCorruption)
{
    // The checksum covers the page's data, not its number: page 0 goes
    // to page 1's place and the boot loader accepts it.
    RunPlan plan = Healthy(10);
    plan.lineFaults.push_back({sim::LineFaultKind::Flip, sim::LineDirection::ToDevice, 19 + 1, 0x01});
    const RunResult r = Run(plan);
    EXPECT_TRUE(r.succeeded);
    EXPECT_FALSE(r.flashMatches);
    EXPECT_TRUE(r.undetectedCorruption);
    EXPECT_FALSE(r.falseSuccess);
    EXPECT_TRUE(r.Passed());
}

TEST_F(CampaignRunTest, AnEndMarkerLostOnTheLineIsTheProtocolsBlindSpot)
{
    // 600 bytes make 6 pages of 128; the end marker follows the entry
    // command and the six frames. Nothing answers it, so nothing tells.
    RunPlan plan = Healthy(10);
    plan.lineFaults.push_back({sim::LineFaultKind::Silent, sim::LineDirection::ToDevice, 19 + 6 * 131});
    const RunResult r = Run(plan);
    EXPECT_TRUE(r.succeeded && r.flashMatches);
    EXPECT_FALSE(r.deviceHeardEnd);
    EXPECT_TRUE(r.endMarkerUnheard);
    EXPECT_TRUE(r.Passed());
}

TEST_F(CampaignRunTest, AWrongFlashWithNothingToExcuseItIsAFalseSuccess)
{
    // A stray '!' while page 0 is on its way answers it for the boot loader,
    // which asks for page 0 again: its '@' then answers page 1, and page 0
    // is never written. The stray byte is kept out of the plan's faults, as
    // if the program had skipped the page on its own.
    RunPlan plan = Healthy(10);
    plan.firmware.resize(256);
    plan.device.pages.resendsForPage[0] = 1;
    plan.device.pages.noiseAt.push_back({kRunStartMs + 520, {'!'}});
    const RunResult r = Run(plan);
    EXPECT_TRUE(r.succeeded);
    EXPECT_FALSE(r.flashMatches);
    EXPECT_TRUE(r.falseSuccess);
    EXPECT_FALSE(r.Passed());
}

TEST_F(CampaignRunTest, ARunPastItsBoundCountsAsAHang)
{
    RunPlan plan = Healthy(10);
    plan.boundMs = 100;   // the update needs more than its 500 ms pause
    const RunResult r = Run(plan);
    EXPECT_TRUE(r.hung);
    EXPECT_FALSE(r.Passed());
}

} // namespace
} // namespace tvqx::campaign
