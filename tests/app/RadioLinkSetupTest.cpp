// How the radio link set-up ends when something is not as it should be: an
// answer of the configuration wrong or missing, the wrong remote unit, the
// dialog cancelled, the remote unit's boot loader silent after the set-up.

#include "RadioLinkFixture.h"

#include <tuple>

namespace tvqx::testing {
namespace {

using sim::AnswerFault;

const std::string kConfigureFailed =
    "Unable to communicate with and/or configure the Tollvane QX-R for the firmware update.               \n\n"
    "Target Rover Module ID = 7";

// ---------------------------------------------------------------------------
// Faults of the answers, in both variants. Only the checksum is never
// looked at (the newer gateway's own "CH" and "ID" answers must still be
// whole), the serial number reads' letters are not compared, and variant 3
// never sets the channel: those runs go on to the update.

using FaultCase = std::tuple<int, const char*, AnswerFault>;

class AnswerFaults : public RadioLinkFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(AnswerFaults, EndTheConfigurationUnlessTheAnswerIsGoodEnough)
{
    const auto [v, key, fault] = GetParam();
    const std::string parameter = key;
    const bool tolerated = (v == 3 && parameter == "CH") ||
                           (fault == AnswerFault::Short && !(v == 6 && (parameter == "CH" || parameter == "ID"))) ||
                           (fault == AnswerFault::WrongLetters && (parameter == "SH" || parameter == "SL"));
    sim::RadioOptions radio;
    radio.answerFaults[parameter] = fault;
    Prepare(v, radio);
    Press();
    RunWindow();

    if (tolerated) {
        EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    } else {
        EXPECT_EQ(Status(IDC_RESULT), kConfigureFailed);
        ExpectErrorBox(kConfigureFailed);
        const std::string sent = Sent();
        EXPECT_TRUE(sent.ends_with("<W"));
        EXPECT_FALSE(sent.ends_with(kSixEscapes + "<W"));
        EXPECT_EQ(unit.gateway->PowerEvents().back().timeMs - clickMs - SentTimes()[sent.size() - 2], 500u);
        EXPECT_EQ(sent.find("<@:P03#:Z"), std::string::npos) << "went on after the fault";
    }
    EXPECT_TRUE(IsIdleWindow());
}

// Every place that reads an answer must check it is there, whole enough and
// for its own letters; the frame's type and status are judged by one check,
// tried once per kind of answer (a whole set answer, a read, a set answer).
INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, AnswerFaults,
    ::testing::Combine(::testing::Values(3, 6), ::testing::Values("CH", "ID", "SH", "SL", "DH", "DL", "rDH", "rDL"),
                       ::testing::Values(AnswerFault::Missing, AnswerFault::Short, AnswerFault::WrongLetters)));
INSTANTIATE_TEST_SUITE_P(EachAnswerKind, AnswerFaults,
                         ::testing::Combine(::testing::Values(3, 6), ::testing::Values("CH", "SH", "DH"),
                                            ::testing::Values(AnswerFault::WrongType, AnswerFault::BadStatus)));

// The remote unit that answers "I" must be the one the user chose, exactly.
class ModuleIdAnswers : public RadioLinkFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(ModuleIdAnswers, ThatDifferFromTheChosenModuleFail)
{
    sim::RadioOptions radio;
    radio.moduleIdAnswer = GetParam();
    Prepare(3, radio);
    Press();
    RunWindow();

    EXPECT_EQ(Status(IDC_RESULT), kConfigureFailed);
    ExpectErrorBox(kConfigureFailed);
    EXPECT_TRUE(Sent().ends_with("<@:P01I<W"));
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(Answers, ModuleIdAnswers, ::testing::Values("7 ", "8", "77"));

// ---------------------------------------------------------------------------

TEST_F(RadioLinkFixture, CancelledDialogLeavesTheGatewayWithoutAMessage)
{
    dialogButton = IDCANCEL;
    Prepare(6);
    Press();
    RunWindow();

    const std::string sent = Sent();
    EXPECT_TRUE(sent.ends_with(kSixEscapes + "<RS" + kSixEscapes + "<RN<W"));
    EXPECT_EQ(TimeOf(kSixEscapes, 7) - TimeOf("<RS"), 500u);
    EXPECT_EQ(unit.gateway->PowerEvents().back().timeMs - clickMs - TimeOf(kSixEscapes, 7), 500u);
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_FALSE(unit.gateway->Listening());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Status(IDC_RESULT), "");
    EXPECT_TRUE(IsIdleWindow());
}

// The remote unit's boot loader stays silent after the set-up: the link never
// comes up, or the unit answered the first probe only.
class SilentBootLoader : public RadioLinkFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(SilentBootLoader, EndsWithNoResponse)
{
    sim::RadioOptions radio;
    if (GetParam()) {
        radio.linkConfigured = true;
        radio.probesAnswered = 1;
    } else {
        radio.linkNeverUp = true;
    }
    Prepare(3, radio);
    Press();
    RunWindow();

    // The second probe, then the gateway is left.
    const std::string sent = Sent();
    EXPECT_TRUE(sent.ends_with("\x80" + kSixEscapes + "<W"));
    EXPECT_EQ(SentTimes()[sent.size() - 8] - SentTimes()[sent.size() - 9], 1000u);
    EXPECT_EQ(unit.gateway->PowerEvents().back().timeMs - clickMs - SentTimes()[sent.size() - 2], 500u);
    EXPECT_EQ(Status(IDC_RESULT), "No response from the Tollvane QX-R boot loader.");
    ExpectErrorBox("No response from the Tollvane QX-R boot loader.               ");
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentBootLoader, ::testing::Bool());

} // namespace
} // namespace tvqx::testing
