// The command line: what each fault option turns into, and what is refused.

#include "sim/pty/DevsimOptions.h"

#include <gtest/gtest.h>

namespace tvqx::sim {
namespace {

using Outcome = DevsimCommandLine::Outcome;

TEST(DevsimOptions, FaultOptionsReachTheBootLoader)
{
    const DevsimCommandLine c = ParseDevsimCommandLine(
        {"--com=22", "--updates", "3", "--fast", "--quiet", "--flash-out", "f.bin", "--version", "tvqxr-1-4.00",
         "--version-pieces", "5:100,3:2500", "--ready-byte", "0x3F", "--ready-after-wrong", "--ready-delay", "40",
         "--resend", "2:4", "--resend=7:1", "--page-answer", "3:41", "--hang-at-page", "9", "--response-delay",
         "25", "--end-answer", "D", "--noise-at", "1500:0D0A", "--noise-before-answer", "2:00FE"});
    ASSERT_EQ(c.outcome, Outcome::Run) << c.error;
    const DevsimOptions& o = c.options;
    EXPECT_EQ(o.comNumber, 22);
    EXPECT_EQ(o.updates, 3u);
    EXPECT_TRUE(o.fast && o.quiet);
    EXPECT_EQ(o.flashOut, "f.bin");
    EXPECT_EQ(o.faults.versionText, "tvqxr-1-4.00");
    ASSERT_EQ(o.faults.versionPieces.size(), 2u);
    EXPECT_EQ(o.faults.versionPieces[1].byteCount, 3u);
    EXPECT_EQ(o.faults.versionPieces[1].delayMs, 2500u);
    EXPECT_EQ(o.faults.readyByte, uint8_t{0x3F});
    EXPECT_TRUE(o.faults.readyAfterWrongByte);
    EXPECT_EQ(o.faults.readyDelayMs, 40u);
    EXPECT_EQ(o.faults.resendsForPage, (std::map<uint16_t, unsigned>{{2, 4}, {7, 1}}));
    EXPECT_EQ(o.faults.pageAnswerByte, (std::map<uint16_t, uint8_t>{{3, 0x41}}));
    EXPECT_EQ(o.faults.hangAtPage, uint16_t{9});
    EXPECT_EQ(o.faults.responseDelayMs, 25u);
    EXPECT_EQ(o.faults.endMarkerAnswer, 0x0D);
    ASSERT_EQ(o.noise.size(), 1u);
    EXPECT_EQ(o.noise[0].afterStartMs, 1500u);
    EXPECT_EQ(o.noise[0].bytes, (std::vector<uint8_t>{0x0D, 0x0A}));
    EXPECT_EQ(o.faults.noiseBeforeAnswer.at(2), (std::vector<uint8_t>{0x00, 0xFE}));

    const DevsimCommandLine plain = ParseDevsimCommandLine({"--com", "1"});
    ASSERT_EQ(plain.outcome, Outcome::Run);
    EXPECT_FALSE(plain.options.fast);
    EXPECT_EQ(plain.options.updates, 0u);
    EXPECT_EQ(plain.options.variant, "page");
    EXPECT_FALSE(plain.options.faults.ignoreEntryCommand || plain.options.faults.omitReady
                 || plain.options.faults.silentAfterEndMarker);
}

TEST(DevsimOptions, RefusesWhatCannotBeMeant)
{
    const struct {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{}, "--com"},
        {{"--com", "0"}, "'0'"},
        {{"--com", "23"}, "'23'"},
        {{"--com", "3x"}, "'3x'"},
        {{"--com"}, "needs a value"},
        {{"--com", "3", "--fast=1"}, "takes no value"},
        {{"--com", "3", "--updates", "0"}, "--updates"},
        {{"--com", "3", "--variant", "row"}, "later variants add their devices behind --variant"},
        {{"--com", "3", "--ready-byte", "100"}, "--ready-byte"},
        {{"--com", "3", "--ready-byte", "zz"}, "--ready-byte"},
        {{"--com", "3", "--ready-after-wrong"}, "needs --ready-byte"},
        {{"--com", "3", "--resend", "4"}, "--resend"},
        {{"--com", "3", "--resend", "70000:1"}, "--resend"},
        {{"--com", "3", "--page-answer", "1:"}, "--page-answer"},
        {{"--com", "3", "--version-pieces", "5:10,"}, "--version-pieces"},
        {{"--com", "3", "--noise-at", "10:ABC"}, "--noise-at"},
        {{"--com", "3", "--response-delay", "-5"}, "--response-delay"},
        {{"--com", "3", "--bogus"}, "unknown option '--bogus'"},
        {{"3"}, "unknown option '3'"},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const std::string& a : c.args)
            joined += a + " ";
        const DevsimCommandLine result = ParseDevsimCommandLine(c.args);
        EXPECT_EQ(result.outcome, Outcome::Error) << joined;
        EXPECT_NE(result.error.find(c.mentions), std::string::npos) << joined << ": " << result.error;
    }
    EXPECT_EQ(ParseDevsimCommandLine({"--com", "99", "--help"}).outcome, Outcome::Error)
        << "options before --help are still checked";
}

} // namespace
} // namespace tvqx::sim
