// How the radio link set-up ends when something is not as it should be: an
// answer of the configuration wrong or missing, the wrong remote unit, the
// dialog cancelled, the remote unit's boot loader silent after the set-up.

#include "RadioLinkFixture.h"

#include "update/UpdateTexts.h"

#include <tuple>

namespace tvqx::testing {
namespace {

using sim::AnswerFault;

const std::string kBlanks(15, ' ');
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

// ---------------------------------------------------------------------------
// Other ends of a radio run, each with its result line, its box, and the
// last the program sent; a gateway the program has opened is left (six
// escapes, "<W"), its power going 500 ms after. The search's speeds and
// pauses are RadioLinkUpdateTest's.

struct RadioEnd {
    const char* name;
    int variant;
    void (*radio)(sim::RadioOptions&);
    std::string result;
    std::string box;
    std::string sentEnd;
    void (*faults)(sim::VariantDeviceFaults&) = [](auto&) {};
    bool portMissing = false;
};

void PrintTo(const RadioEnd& c, std::ostream* os) { *os << c.name; }

const std::string kNoBootLoader = "No response from the Tollvane QX-R boot loader.";
const std::string kNoGateway = "Cannot find a Tollvane RG-400 Radio Gateway.";
const std::string kSearch = [] {
    std::string sent;
    for (int i = 0; i < 6; ++i)   // at each of the gateway's speeds, then at 115200
        sent += kSixEscapes + "<V";
    return sent;
}();

const RadioEnd kRadioEnds[] = {
    // The remote unit that answers "I" must be the one the user chose, exactly.
    {"ModuleIdWithABlank", 3, [](auto& r) { r.moduleIdAnswer = "7 "; }, kConfigureFailed, kConfigureFailed,
     "<@:P01I<W"},
    {"OtherModuleId", 3, [](auto& r) { r.moduleIdAnswer = "8"; }, kConfigureFailed, kConfigureFailed, "<@:P01I<W"},
    {"LongerModuleId", 3, [](auto& r) { r.moduleIdAnswer = "77"; }, kConfigureFailed, kConfigureFailed, "<@:P01I<W"},
    // The remote unit's boot loader stays silent after the set-up: the link
    // never comes up, or the unit answered the first probe only.
    {"LinkNeverUp", 3, [](auto& r) { r.linkNeverUp = true; }, kNoBootLoader, kNoBootLoader + kBlanks,
     "\x80" + kSixEscapes + "<W"},
    {"OneProbeAnswered", 3, [](auto& r) { r.linkConfigured = true; r.probesAnswered = 1; }, kNoBootLoader,
     kNoBootLoader + kBlanks, "\x80" + kSixEscapes + "<W"},
    // No gateway of this variant's models answers at any speed.
    {"OtherModel3", 3, [](auto& r) { r.gatewayAnswer = "TVRG-410 V2.03"; }, kNoGateway, kNoGateway + kBlanks, kSearch},
    {"OtherModel6", 6, [](auto& r) { r.gatewayAnswer = "TVRG-400 V1.20"; }, kNoGateway, kNoGateway + kBlanks, kSearch},
    {"PortMissing", 6, [](auto&) {}, "", "Unable to open serial port COM3     ", "", [](auto&) {}, true},
    // A transfer that fails over the link is reported as failed, and the
    // gateway is still left.
    {"TransferFails", 3, [](auto& r) { r.linkConfigured = true; }, "Firmware update failed",
     "No response from the Tollvane QX-R.     " + texts::RowFailureText(), "~#&TV-QX-R-205-7.31" + kSixEscapes + "<W",
     [](auto& f) { f.rows.ignoreEntryCommand = true; }},
};

class RadioEnds : public RadioLinkFixture, public ::testing::WithParamInterface<RadioEnd> {};

TEST_P(RadioEnds, WithTheirMessage)
{
    const RadioEnd& c = GetParam();
    sim::RadioOptions radio;
    c.radio(radio);
    sim::VariantDeviceFaults faults;
    c.faults(faults);
    Prepare(c.variant, radio, faults);
    if (c.portMissing)
        ports.Detach(kDevicePort);
    Press();
    RunWindow();

    EXPECT_EQ(Status(IDC_RESULT), c.result);
    ExpectErrorBox(c.box);
    const std::string sent = Sent();
    EXPECT_TRUE(sent.ends_with(c.sentEnd));
    if (c.sentEnd == kSearch) {
        EXPECT_EQ(unit.gateway->SpeedEvents().back().baud, 115200u);
    }
    if (sent.ends_with("<W")) {
        EXPECT_EQ(unit.gateway->PowerEvents().back().timeMs - clickMs - SentTimes()[sent.size() - 2], 500u);
    }
    EXPECT_TRUE(unit.gateway->Errors().empty());
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(Cases, RadioEnds, ::testing::ValuesIn(kRadioEnds),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tvqx::testing
