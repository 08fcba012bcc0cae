// The radio variants from "Begin Update" to the gateway left behind: the
// search over the gateway's speeds, the link set-up, the transfer through it.

#include "RadioLinkFixture.h"

namespace tvqx::testing {
namespace {

std::string Quad(uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

struct WholeRun {
    int variant;
    bool linkConfigured;
    const char* gatewayAnswer = "";
};

class RadioLinkUpdate : public RadioLinkFixture, public ::testing::WithParamInterface<WholeRun> {};

TEST_P(RadioLinkUpdate, FindsTheGatewaySetsUpTheLinkAndUpdatesTheRemoteUnit)
{
    const auto [v, configured, answer] = GetParam();
    sim::RadioOptions radio;
    radio.linkConfigured = configured;
    radio.gatewayAnswer = answer;
    // Not the defaults: what goes to the gateway must come from the
    // remote unit's line.
    radio.moduleId = 'K';
    radio.roverSerial = 0x1122334455667788;
    radio.roverPanId = 0x4A21;
    radio.roverChannel = 0x15;
    Prepare(v, radio);
    dlg->m_rowPauseMs = 40;   // over the radio the rows are not paced
    // The window dispatches messages during the transfer: "Done" there
    // would pull the port from under it.
    bool doneEnabledWhileSending = false;
    ui.onControlChanged = [&, follow = ui.onControlChanged](CDialog& d, int index) {
        follow(d, index);
        if (!Status(IDC_PROGRESS).empty() && !unit.UpdateComplete() && dlg->IsDlgItemEnabled(IDCANCEL))
            doneEnabledWhileSending = true;
    };
    Press();
    RunWindow();

    std::string expected;
    for (int i = 0; i < 5; ++i)
        expected += kSixEscapes + "<V";
    expected += SetupFrames(v) + Probe(v);
    if (!configured) {
        expected += v == 3 ? kSixEscapes + "<W" : "+++ATAP2\rATCH0e\rATCN\r" + kSixEscapes;
        expected += "<RS";   // the dialog listens for the remote unit's line
        expected += v == 3 ? "<RS" : "<RS<@:S03CH\x15";
        expected += "<@:S04ID\x4A\x21<@:P01I<@:ISH<@:ISL";
        expected += "<@:P11#:C06DH" + Quad(0x0013B0C4) + "<@:P11#:C06DL" + Quad(0x1F2A6E90);
        expected += "<@:S06DH" + Quad(0x11223344) + "<@:S06DL" + Quad(0x55667788);
        expected += "<@:P03#:Z" + SetupFrames(v);
    }
    expected += Probe(v);
    const std::string sent = Sent();
    EXPECT_EQ(sent.substr(0, expected.size()), expected);
    ASSERT_TRUE(sent.ends_with(kSixEscapes + "<W"));

    // The gateway answers only at 38400, the fifth speed; the port is opened
    // there again to leave the gateway after the transfer.
    std::vector<uint32_t> bauds;
    for (const sim::SpeedEvent& e : unit.gateway->SpeedEvents())
        bauds.push_back(e.baud);
    EXPECT_EQ(bauds, (std::vector<uint32_t>{9600, 57600, 14400, 19200, 38400, 38400}));
    std::vector<uint64_t> escapes;
    for (int n = 1; n <= 5; ++n)
        escapes.push_back(TimeOf(kSixEscapes, n));
    EXPECT_EQ(escapes, (std::vector<uint64_t>{500, 3000, 5500, 8000, 10500}));

    // The pauses between the steps.
    const uint64_t probe = TimeOf(std::string(1, Probe(v)));
    EXPECT_EQ(probe - TimeOf(SetupFrames(v)), 500u);
    if (configured) {
        EXPECT_EQ(TimeOf(std::string(1, Probe(v)), 2) - probe, 500u);
    } else if (v == 3) {
        EXPECT_EQ(TimeOf(kSixEscapes, 6) - probe, 1000u);
        EXPECT_EQ(TimeOf("<RS") - TimeOf(kSixEscapes, 6), 2500u);
    } else {
        const uint64_t at[] = {probe, TimeOf("+++"), TimeOf("ATAP2"), TimeOf("ATCH0e"), TimeOf("ATCN"),
                               TimeOf(kSixEscapes, 6), TimeOf("<RS")};
        const uint64_t gaps[] = {2000, 1500, 100, 100, 500, 0};
        for (size_t i = 0; i < std::size(gaps); ++i)
            EXPECT_EQ(at[i + 1] - at[i], gaps[i]) << "step " << i;
    }
    if (!configured) {
        EXPECT_EQ(TimeOf(std::string(1, Probe(v)), 2) - TimeOf("<@:P03#:Z"), 1200u);
    }
    const auto& power = unit.gateway->PowerEvents();
    ASSERT_GE(power.size(), 2u);
    const uint64_t leave = SentTimes()[sent.size() - 8];
    EXPECT_TRUE(power[power.size() - 2].on);
    EXPECT_EQ(leave - (power[power.size() - 2].timeMs - clickMs), 500u);
    EXPECT_EQ(power.back().timeMs - clickMs - leave, 500u);

    EXPECT_FALSE(doneEnabledWhileSending);
    EXPECT_EQ(dialogsShown, configured ? 0 : 1);
    EXPECT_EQ(dlg->m_rowPauseMs, 0u);
    EXPECT_EQ(std::vector<uint8_t>(unit.Flash().begin(), unit.Flash().begin() + 64), firmware);
    EXPECT_TRUE(unit.gateway->Errors().empty()) << unit.gateway->Errors().front();
    EXPECT_EQ(unit.gateway->CurrentMode(), sim::RadioGateway::Mode::Command);
    ExpectUpdateSucceeded(v == 3 ? "Sending hex file row  5  of  5" : "Sending hex file page  1  of  1");
    EXPECT_TRUE(IsIdleWindow());
    EXPECT_FALSE(ImageExists());
}

INSTANTIATE_TEST_SUITE_P(Variants, RadioLinkUpdate,
                         ::testing::Values(WholeRun{3, false}, WholeRun{6, false}, WholeRun{3, true},
                                           WholeRun{6, true, "TVRG-410 V2.03"}));

} // namespace
} // namespace tvqx::testing
