// The radio gateway and the remote unit behind it, driven with the exact
// bytes the update program sends, on virtual time.

#include "sim/RadioFrames.h"
#include "sim/VariantDevices.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tvqx::sim::test {
namespace {

constexpr uint32_t kGatewayBaud = 38400;
const std::vector<uint8_t> kSixEsc(6, kRadioEscape);

std::vector<uint8_t> Concat(std::string_view text, const std::vector<uint8_t>& raw = {},
                            const std::vector<uint8_t>& more = {})
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

// The program's end of the gateway's line.
struct Bench {
    explicit Bench(int variant, RadioOptions radio = {}, uint32_t speed = kGatewayBaud)
        : variant(variant), device(MakeDeviceForVariant(variant, {.radio = std::move(radio)})), line(device.Line())
    {
        line.Speed(speed);
        line.Power(true);
        line.Wait(500);
    }

    RadioGateway& Gateway() { return *device.gateway; }
    RoverUnit& Rover() { return *device.rover; }
    uint8_t Probe() const { return variant == 3 ? kRowProbe : kPageProbe; }
    uint8_t ProbeAnswer() const { return variant == 3 ? kRowProbeAnswer : kPageProbeAnswer; }

    void Send(const std::vector<uint8_t>& bytes) { line.Send(bytes); }
    void Send(std::string_view text) { line.Send(Concat(text)); }
    // Up to `count` bytes, each within `idleMs` of the one before.
    std::vector<uint8_t> Read(size_t count, uint64_t idleMs = 3000)
    {
        std::vector<uint8_t> got;
        for (int b = 0; got.size() < count && (b = line.Next(idleMs)) >= 0;)
            got.push_back(static_cast<uint8_t>(b));
        return got;
    }
    std::vector<uint8_t> Ask(const std::vector<uint8_t>& command, size_t answerSize)
    {
        line.Skip();
        Send(command);
        return Read(answerSize);
    }
    void Purge(uint64_t afterMs)
    {
        line.Wait(afterMs);
        line.Skip();
    }

    std::vector<uint8_t> Identify()
    {
        Send(kSixEsc);
        Send("<V");
        return Read(15, 2000);
    }
    void SetUpRadio()
    {
        Send("<RP");
        Send(kPanIdFrame);
        if (variant == 6)
            Send(kChannelFrame);
        Send(kApiModeFrame);
        Purge(500);
    }
    // Identified and the radio set up, as the program does first.
    Bench& Ready()
    {
        Identify();
        SetUpRadio();
        return *this;
    }
    int ProbeOnce()
    {
        line.Skip();
        Send({Probe()});
        return line.Next(500);
    }
    // The gateway made ready for the dialog, the dialog with the Setup
    // button pressed, and both ends configured.
    void Configure(uint8_t channel = 0x0C, uint16_t pan = 0x3332)
    {
        if (variant == 3) {
            line.Wait(500);
            Send(kSixEsc);
            Send("<W");
            line.Wait(2500);
        } else {
            line.Wait(1500);
            Send("+++");
            line.Wait(1500);
            for (const char* at : {"ATAP2\r", "ATCH0e\r", "ATCN\r"}) {
                Send(at);
                line.Wait(std::string_view(at) == "ATCN\r" ? 500 : 100);
            }
            Send(kSixEsc);
            line.Skip();
        }
        Send("<RS");
        line.Wait(300);
        device.PressSetupButton(line.Now());
        const std::vector<uint8_t> setupLine = Read(38, 1000);
        EXPECT_EQ(std::string(setupLine.begin(), setupLine.end()), "$ROVER,7,00A4B512,7C3E9D01,3332,0C*4A\r");

        Purge(500);
        Send("<RS");
        if (variant == 6) {
            EXPECT_EQ(Ask(Concat("<@:S03CH", {channel}), 9), ResponseFrame("CH", 0));
        }
        EXPECT_EQ(Ask(Concat("<@:S04ID", BigEndian(pan, 2)), 9), ResponseFrame("ID", 0));
        EXPECT_EQ(Ask(Concat("<@:P01I"), 2), Concat("7\r"));
        const std::vector<uint8_t> high = Ask(Concat("<@:ISH"), 13);
        const std::vector<uint8_t> low = Ask(Concat("<@:ISL"), 13);
        ASSERT_EQ(high.size() + low.size(), 26u);
        EXPECT_EQ(Ask(Concat("<@:P11#:C06DH", {high.begin() + 8, high.begin() + 12}), 9), ResponseFrame("DH", 0));
        EXPECT_EQ(Ask(Concat("<@:P11#:C06DL", {low.begin() + 8, low.begin() + 12}), 9), ResponseFrame("DL", 0));
        EXPECT_EQ(Ask(Concat("<@:S06DH", {0x00, 0xA4, 0xB5, 0x12}), 9), ResponseFrame("DH", 0));
        EXPECT_EQ(Ask(Concat("<@:S06DL", {0x7C, 0x3E, 0x9D, 0x01}), 9), ResponseFrame("DL", 0));
        Send("<@:P03#:Z");
        Purge(200);
        SetUpRadio();
    }

    int variant;
    VariantDevice device;
    BootLineDriver line;
};

TEST(RadioLink, ScriptedConversationEndsLinkedWithTheBootLoaderAnswering)
{
    for (int variant : {3, 6}) {
        for (bool configured : {true, false}) {
            SCOPED_TRACE("variant " + std::to_string(variant) + (configured ? ", configured" : ", unconfigured"));
            Bench bench(variant, {.linkConfigured = configured});
            const std::string answer = variant == 3 ? "TVRG-400 V1.20\r" : "TVRG-400 V2.03\r";
            EXPECT_EQ(bench.Identify(), Concat(answer));
            EXPECT_EQ(bench.device.StageName(), configured ? "linked" : "setup");
            bench.SetUpRadio();
            const int first = bench.ProbeOnce();
            if (configured) {
                EXPECT_EQ(first, bench.ProbeAnswer());
            } else {
                EXPECT_EQ(first, -1);
                bench.Configure();
            }
            EXPECT_EQ(bench.device.StageName(), "linked");
            bench.line.Wait(500);
            EXPECT_EQ(bench.ProbeOnce(), bench.ProbeAnswer());

            // The boot loader has the link now: its greeting comes back.
            bench.Send(kBootEntryCommand);
            std::vector<uint8_t> welcome = Concat(std::string(kBootVersion) + "\r", {variant == 3 ? kRowBootReady
                                                                                                 : kBootReady});
            if (variant == 3)
                welcome.push_back(kRowXon);
            EXPECT_EQ(bench.Read(welcome.size(), 500), welcome);
            EXPECT_EQ(bench.device.StageName(), variant == 3 ? "receiving rows" : "receiving pages");
            EXPECT_NE(bench.ProbeOnce(), bench.ProbeAnswer()) << "the probe is data for the boot loader now";

            bench.line.Wait(500);
            bench.Send(kSixEsc);
            bench.Send("<W");
            EXPECT_EQ(bench.Gateway().CurrentMode(), RadioGateway::Mode::Command);
            EXPECT_TRUE(bench.Gateway().LinkUp());
            EXPECT_EQ(bench.Rover().Parameters().dh, 0x0013B0C4u);
            EXPECT_EQ(bench.Rover().Parameters().dl, 0x1F2A6E90u);
            EXPECT_EQ(bench.Gateway().Errors(), std::vector<std::string>{});
        }
    }
}

TEST(RadioLink, GatewayAnswersOnlyAtItsOwnSpeed)
{
    struct Case { uint32_t gatewayBaud, lineBaud; bool answered; };
    for (const Case& c : {Case{38400, 38400, true}, Case{38400, 9600, false}, Case{38400, 115200, false},
                          Case{9600, 9600, true}, Case{9600, 38400, false}}) {
        Bench bench(6, {.gatewayBaud = c.gatewayBaud}, c.lineBaud);
        const std::vector<uint8_t> got = bench.Identify();
        EXPECT_EQ(got == Concat("TVRG-400 V2.03\r"), c.answered) << c.gatewayBaud << " at " << c.lineBaud;
        EXPECT_EQ(bench.Gateway().Received().size(), 8u);
    }
    Bench absent(3, {.gatewayAbsent = true});
    EXPECT_TRUE(absent.Identify().empty());
    Bench renamed(3, {.gatewayAnswer = "TVRG-401 V9.99"});
    EXPECT_EQ(renamed.Identify(), Concat("TVRG-401 V9.99\r"));
}

TEST(RadioLink, EachAnswerFaultBendsOnlyItsFrame)
{
    struct Case { AnswerFault fault; size_t size, changedAt; };   // changedAt: the byte that differs
    for (const Case& c : {Case{AnswerFault::Missing, 0, 0}, Case{AnswerFault::Short, 8, 0},
                          Case{AnswerFault::WrongType, 9, 3}, Case{AnswerFault::BadStatus, 9, 7},
                          Case{AnswerFault::WrongLetters, 9, 5}}) {
        // The gateway's own answer, and the remote unit's.
        for (const std::string key : {"ID", "rDH"}) {
            SCOPED_TRACE(key + " fault " + std::to_string(int(c.fault)));
            Bench bench(3, {.answerFaults = {{key, c.fault}}});
            std::vector<uint8_t> got = bench.Ask(Concat("<@:S04ID", {0x33, 0x32}), 9);
            std::vector<uint8_t> expected = ResponseFrame("ID", 0);
            if (key == "rDH") {
                EXPECT_EQ(got, expected);
                got = bench.Ask(Concat("<@:P11#:C06DH", {0x00, 0x13, 0xB0, 0xC4}), 9);
                expected = ResponseFrame("DH", 0);
            }
            EXPECT_EQ(bench.Ask(Concat("<@:ISH"), 13).size(), 13u) << "other answers stay whole";
            ASSERT_EQ(got.size(), c.size);
            if (c.fault == AnswerFault::Short) {
                EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin()));
            }
            if (c.size == 9) {
                for (size_t i = 0; i < 8; ++i)
                    EXPECT_EQ(got[i] != expected[i], i == c.changedAt || (i == c.changedAt + 1 && c.changedAt == 5))
                        << i;
                EXPECT_EQ(got[8], ApiChecksum(got.data() + 3, 5)) << "the checksum follows the change";
            }
        }
    }
}

TEST(RadioLink, PayloadsReachTheRemoteUnitOnlyOnItsPanIdAndChannel)
{
    for (int variant : {3, 6}) {
        Bench bench(variant);
        bench.Identify();
        EXPECT_TRUE(bench.Ask(Concat("<@:P01I"), 2).empty()) << "still on the gateway's own PAN ID";
        bench.Ask(Concat("<@:S04ID", {0x33, 0x32}), 9);
        // Variant 3's gateway has one channel; variant 6's must be told the
        // unit's.
        EXPECT_EQ(bench.Ask(Concat("<@:P01I"), 2).size(), variant == 3 ? 2u : 0u);
        if (variant == 6) {
            bench.Ask(Concat("<@:S03CH", {0x0C}), 9);
            EXPECT_EQ(bench.Ask(Concat("<@:P01I"), 2), Concat("7\r"));
        }
        EXPECT_EQ(bench.Gateway().Errors(), std::vector<std::string>{});
    }
    Bench other(3, {.moduleIdAnswer = "7 "});
    other.Ask(Concat("<@:S04ID", {0x33, 0x32}), 9);
    EXPECT_EQ(other.Ask(Concat("<@:P01I"), 3), Concat("7 \r"));
}

TEST(RadioLink, PlusesAndSixEscLeaveTransparentModeOnlyAfterSilence)
{
    Bench bench(6, {.linkConfigured = true});
    bench.Ready().line.Wait(500);
    bench.Send("x+++");
    bench.line.Wait(1500);
    EXPECT_EQ(bench.Gateway().CurrentMode(), RadioGateway::Mode::Transparent);
    bench.Send("+++");
    bench.line.Wait(999);
    EXPECT_EQ(bench.Gateway().CurrentMode(), RadioGateway::Mode::Transparent);
    EXPECT_EQ(bench.Read(3, 1), Concat("OK\r"));
    EXPECT_EQ(bench.Gateway().CurrentMode(), RadioGateway::Mode::RadioCommand);
    EXPECT_EQ(bench.Rover().Received().size(), 4u) << "only the pluses after data went over the radio";

    bench.Send("ATCN\r");
    // ESC bytes straight after data are data: they reach the boot loader.
    bench.Send(Concat("A", kSixEsc));
    EXPECT_EQ(bench.Gateway().CurrentMode(), RadioGateway::Mode::Transparent);
    bench.line.Wait(249);
    bench.Send(kSixEsc);
    EXPECT_EQ(bench.Gateway().CurrentMode(), RadioGateway::Mode::Transparent);
    EXPECT_EQ(bench.Rover().Received().size(), 4u + 13u);
    bench.line.Wait(250);
    bench.Send(kSixEsc);
    EXPECT_EQ(bench.Gateway().CurrentMode(), RadioGateway::Mode::Command);
    EXPECT_EQ(bench.Rover().Received().size(), 4u + 13u) << "the escape itself stays in the gateway";
}

TEST(RadioLink, ParameterLineIsHeardOnlyWhileListening)
{
    Bench bench(6);
    bench.device.PressSetupButton(bench.line.Now());
    EXPECT_TRUE(bench.Read(38, 500).empty());
    bench.Send("<RS");
    bench.device.PressSetupButton(bench.line.Now());
    EXPECT_EQ(bench.Read(38, 500).size(), 38u);
    bench.Send("<RN");
    bench.device.PressSetupButton(bench.line.Now());
    EXPECT_TRUE(bench.Read(38, 500).empty());

    // Scripted: a garbled line, pressed a set time after listening began.
    Bench scripted(3, {.setupAfterListenMs = 1500, .setupLine = "$ROVER,7,00A4*00"});
    scripted.Send("<RS");
    scripted.line.Wait(1499);
    EXPECT_TRUE(scripted.Read(1, 0).empty());
    EXPECT_EQ(scripted.Read(16, 2), Concat("$ROVER,7,00A4*00"));
    EXPECT_EQ(scripted.Rover().SetupPresses(), 1u);
}

TEST(RadioLink, ProbesGoUnansweredOnceUsedUpOrWhenTheLinkNeverComesUp)
{
    Bench limited(3, {.linkConfigured = true, .probesAnswered = 1});
    EXPECT_EQ(limited.Ready().ProbeOnce(), kRowProbeAnswer);
    EXPECT_EQ(limited.ProbeOnce(), -1);

    Bench bench(6, {.linkNeverUp = true});
    EXPECT_EQ(bench.Ready().ProbeOnce(), -1);
    bench.Configure();
    bench.line.Wait(500);
    EXPECT_EQ(bench.ProbeOnce(), -1);
    EXPECT_FALSE(bench.Gateway().LinkUp());
    EXPECT_EQ(bench.Rover().SettingsTaken(), 0u);
}

TEST(RadioLink, WrongBytesAreRecorded)
{
    struct Case { int variant; std::vector<uint8_t> sent; const char* mentions; };
    const Case cases[] = {
        {3, Concat("<X"), "unknown command \"<X\""},
        {3, Concat("<RP", kChannelFrame), "not expected here"},
        {6, Concat("<RP", {0x7E, 0x00, 0x06, 0x08, 0x52, 0x49, 0x44, 0xD1, 0xD3, 0x75}), "bad checksum"},
        {6, Concat("<RP", {0x7E, 0x00, 0x40}), "bad length"},
        {6, Concat("<RP", kPanIdFrame, kApiModeFrame), "without the CH frame"},
        {6, Concat("<@:S03ID", {0x33}), "cannot set ID"},
        {6, Concat("<@:SX1"), "bad length"},
    };
    for (const auto& c : cases) {
        Bench bench(c.variant);
        bench.Send(c.sent);
        const std::vector<std::string> errors = bench.Gateway().Errors();
        ASSERT_EQ(errors.size(), 1u) << c.mentions;
        EXPECT_NE(errors[0].find(c.mentions), std::string::npos) << errors[0];
    }
}

} // namespace
} // namespace tvqx::sim::test
