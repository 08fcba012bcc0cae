// The host sleeps while the unit can do nothing on its own, so the unit must
// keep it looking for as long as any pause it scripts can last: otherwise an
// answer comes only when the program next writes, too late. Each pause the
// command line scripts, alone and long, must still have its answer heard.

#include "sim/RadioFrames.h"
#include "sim/pty/HostedDevice.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tvqx::sim {
namespace {

constexpr uint64_t kNsPerMs = 1000000;

struct Step {
    uint64_t atMs;
    std::string sent;
};

struct PauseCase {
    const char* name;
    std::vector<std::string> args;
    std::vector<Step> steps;
    std::string heard;
};
void PrintTo(const PauseCase& c, std::ostream* os) { *os << c.name; }

std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

const std::string kEntry = "~#&TV-QX-R-205-7.31";
const std::string kRow = ":03000000010203F7";
// Built when asked for: the frames are another file's constants.
std::string RadioSetUp() { return "<RP" + Text(kPanIdFrame) + Text(kChannelFrame) + Text(kApiModeFrame); }

// Plays the host from `fromMs` on: looks whenever the unit asks for a look,
// and collects; what was heard once the unit asks for none.
std::string LookWhileAsked(HostedDevice& unit, uint64_t fromMs)
{
    std::vector<uint8_t> heard;
    uint64_t now = fromMs * kNsPerMs;
    for (int looks = 0; looks < 100000; ++looks) {
        unit.Collect(now, heard);
        const auto next = unit.NextLookNs(now);
        if (!next)
            return Text(heard);
        EXPECT_LE(*next, now + kNsPerMs) << "the unit is busy: no rest longer than a millisecond";
        now = std::max(*next, now + 1);
    }
    ADD_FAILURE() << "the unit never lets the host rest";
    return Text(heard);
}

class ScriptedPauses : public testing::TestWithParam<PauseCase> {};
TEST_P(ScriptedPauses, EveryAnswerComesWhileTheHostIsLooking)
{
    std::vector<std::string> args = GetParam().args;
    args.insert(args.begin(), {"--com", "1"});
    const DevsimCommandLine command = ParseDevsimCommandLine(args);
    ASSERT_EQ(command.outcome, DevsimCommandLine::Outcome::Run) << command.error;
    std::ostringstream out;
    DevsimTrace trace(out, 0, false);
    HostedDevice unit(command.options, 0, trace);
    unit.PowerOn(0);
    unit.SetLineSpeed(unit.TalkingBaud(), 0);

    std::string heard = LookWhileAsked(unit, 0);
    for (const Step& step : GetParam().steps) {
        for (char c : step.sent)
            unit.Take({step.atMs * kNsPerMs, static_cast<uint8_t>(c)});
        heard += LookWhileAsked(unit, step.atMs);
    }
    EXPECT_EQ(heard, GetParam().heard) << out.str();
}

const std::string kWelcome = "TVQXR-1-4.00\r";
const std::vector<Step> kRowUpdate{{100, "\xC0"}, {200, kEntry}, {1000, kRow}};
const std::string kRowAnswers = "\xD0" + kWelcome + "?\x11\x13~\x11";

INSTANTIATE_TEST_SUITE_P(
    Devsim, ScriptedPauses,
    testing::Values(
        PauseCase{"ResponseDelay", {"--response-delay", "300"}, {{100, kEntry}}, kWelcome + "!"},
        PauseCase{"ReadyDelay", {"--ready-delay", "300"}, {{100, kEntry}}, kWelcome + "!"},
        PauseCase{"VersionPieces", {"--version-pieces", "3:300"}, {{100, kEntry}}, kWelcome + "!"},
        PauseCase{"WakeDelay", {"--variant", "row-wake", "--wake-delay", "300"}, kRowUpdate, kRowAnswers},
        PauseCase{"XonDelay", {"--variant", "row-wake", "--xon-delay", "300"}, kRowUpdate, kRowAnswers},
        PauseCase{"RowWrite", {"--variant", "row-wake", "--row-write", "300"}, kRowUpdate, kRowAnswers},
        PauseCase{"ApplicationAnswer", {"--variant", "row-app", "--in-application", "--app-answer-delay", "300"},
                  {{100, "<V"}}, "TVQXR-APP-4.12\r"},
        PauseCase{"RadioRelay", {"--variant", "radio-page", "--link-configured", "--relay-delay", "300"},
                  {{500, std::string(6, '\x1B') + "<V"}, {600, RadioSetUp()}, {1500, "\xC0"}},
                  "TVRG-400 V2.03\r\xD0"}),
    [](const testing::TestParamInfo<PauseCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tvqx::sim
