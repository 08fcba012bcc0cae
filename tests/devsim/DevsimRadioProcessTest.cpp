// tvqx-devsim hosting the radio gateway and its remote unit, driven over a
// real pseudo-terminal with the bytes the update program sends.

#include "DevsimProcess.h"
#include "UnitBench.h"

#include "sim/RadioFrames.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

std::vector<uint8_t> With(const std::string& text, const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> bytes = Bytes(text);
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return bytes;
}

TEST(DevsimRadioProcess, RadioPageGatewayIsFoundConfiguredAndPassesTheProbe)
{
    ConfigHome home;
    // Setup waits for SIGUSR1, as a technician would press it.
    DevsimProcess devsim(home, {"--com", "13", "--variant", "radio-page", "--fast", "--setup-after", "600000"});
    ASSERT_TRUE(WaitFor([&] { return Exists(home.Port(13)); }));
    const std::vector<uint8_t> sixEsc(6, kRadioEscape);
    const auto quiet = [] { std::this_thread::sleep_for(300ms); };

    ProgramPort port(home.Port(13), B9600);
    ASSERT_TRUE(port.IsOpen());
    quiet();
    port.Write(With("", sixEsc));
    port.Write("<V");
    EXPECT_TRUE(port.Read(15, 500ms).empty()) << "nothing answers at 9600";

    port.SetSpeed(B38400);
    quiet();
    port.Write(With("", sixEsc));
    port.Write("<V");
    EXPECT_EQ(port.Read(15), Bytes("TVRG-400 V2.03\r"));

    std::vector<uint8_t> radioSetUp = Bytes("<RP");
    for (const std::vector<uint8_t>* frame : {&kPanIdFrame, &kChannelFrame, &kApiModeFrame})
        radioSetUp.insert(radioSetUp.end(), frame->begin(), frame->end());
    port.Write(radioSetUp);
    port.Write(std::vector<uint8_t>{kPageProbe});
    EXPECT_TRUE(port.Read(1, 500ms).empty()) << "the link is not configured yet";

    quiet();
    port.Write(With("", sixEsc));
    port.Write("<RS");
    ASSERT_TRUE(WaitFor([&] { return devsim.Trace().find("\"<RS\": listening") != std::string::npos; }));
    devsim.Signal(SIGUSR1);
    EXPECT_EQ(port.Read(38), Bytes("$ROVER,7,00A4B512,7C3E9D01,3332,0C*4A\r")) << devsim.Trace();

    const struct {
        std::vector<uint8_t> command;
        size_t answerSize;
    } steps[] = {
        {With("<@:S03CH", {0x0C}), 9},
        {With("<@:S04ID", {0x33, 0x32}), 9},
        {Bytes("<@:P01I"), 2},
        {Bytes("<@:ISH"), 13},
        {Bytes("<@:ISL"), 13},
        {With("<@:P11#:C06DH", {0x00, 0x13, 0xB0, 0xC4}), 9},
        {With("<@:P11#:C06DL", {0x1F, 0x2A, 0x6E, 0x90}), 9},
        {With("<@:S06DH", {0x00, 0xA4, 0xB5, 0x12}), 9},
        {With("<@:S06DL", {0x7C, 0x3E, 0x9D, 0x01}), 9},
    };
    for (const auto& step : steps) {
        port.Write(step.command);
        EXPECT_EQ(port.Read(step.answerSize).size(), step.answerSize)
            << std::string(step.command.begin(), step.command.end());
    }
    port.Write("<@:P03#:Z");
    port.Write(radioSetUp);
    port.Write(std::vector<uint8_t>{kPageProbe});
    EXPECT_EQ(port.Read(1), std::vector<uint8_t>{kPageProbeAnswer});
    port.Close();

    devsim.Signal(SIGTERM);
    EXPECT_EQ(devsim.Exit(), 0);
    const std::string trace = devsim.Trace();
    for (const char* event : {"variant 6 (radio-page): a radio gateway at 38400 baud", "gateway found at 38400",
                              "<RP frames ok", "Setup button pressed (SIGUSR1)", "parameter line sent", "link up",
                              "probe 0xC0 reached the remote unit: answered"})
        EXPECT_NE(trace.find(event), std::string::npos) << event << "\n" << trace;
    EXPECT_EQ(trace.find("rejected"), std::string::npos) << trace;
}

} // namespace
} // namespace tvqx::sim::test
