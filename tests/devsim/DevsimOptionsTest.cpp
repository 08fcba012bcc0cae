// The command line: what each option turns into for the unit it applies to,
// and what is refused.

#include "sim/pty/DevsimOptions.h"

#include <gtest/gtest.h>

namespace tvqx::sim {
namespace {

using Outcome = DevsimCommandLine::Outcome;

DevsimOptions Parsed(const std::vector<std::string>& args)
{
    const DevsimCommandLine c = ParseDevsimCommandLine(args);
    EXPECT_EQ(c.outcome, Outcome::Run) << c.error;
    return c.options;
}

TEST(DevsimOptions, PageFaultOptionsReachThePageBootLoader)
{
    const DevsimOptions o = Parsed(
        {"--com=22", "--updates", "3", "--fast", "--quiet", "--flash-out", "f.bin", "--version", "tvqxr-1-4.00",
         "--version-pieces", "5:100,3:2500", "--ready-byte", "0x3F", "--ready-after-wrong", "--ready-delay", "40",
         "--resend", "2:4", "--resend=7:1", "--page-answer", "3:41", "--hang-at-page", "9", "--response-delay",
         "25", "--end-answer", "D", "--noise-at", "1500:0D0A", "--noise-before-answer", "2:00FE"});
    EXPECT_EQ(o.comNumber, 22);
    EXPECT_EQ(o.variant, 10);
    EXPECT_EQ(o.updates, 3u);
    EXPECT_TRUE(o.fast && o.quiet);
    EXPECT_EQ(o.flashOut, "f.bin");
    const PageBootLoaderFaults& f = o.faults.pages;
    EXPECT_EQ(f.versionText, "tvqxr-1-4.00");
    ASSERT_EQ(f.versionPieces.size(), 2u);
    EXPECT_EQ(f.versionPieces[1].byteCount, 3u);
    EXPECT_EQ(f.versionPieces[1].delayMs, 2500u);
    EXPECT_EQ(f.readyByte, uint8_t{0x3F});
    EXPECT_TRUE(f.readyAfterWrongByte);
    EXPECT_EQ(f.readyDelayMs, 40u);
    EXPECT_EQ(f.resendsForPage, (std::map<uint16_t, unsigned>{{2, 4}, {7, 1}}));
    EXPECT_EQ(f.pageAnswerByte, (std::map<uint16_t, uint8_t>{{3, 0x41}}));
    EXPECT_EQ(f.hangAtPage, uint16_t{9});
    EXPECT_EQ(f.responseDelayMs, 25u);
    EXPECT_EQ(f.endMarkerAnswer, 0x0D);
    ASSERT_EQ(o.noise.size(), 1u);
    EXPECT_EQ(o.noise[0].afterStartMs, 1500u);
    EXPECT_EQ(o.noise[0].bytes, (std::vector<uint8_t>{0x0D, 0x0A}));
    EXPECT_EQ(f.noiseBeforeAnswer.at(2), (std::vector<uint8_t>{0x00, 0xFE}));

    const DevsimOptions plain = Parsed({"--com", "1"});
    EXPECT_FALSE(plain.fast);
    EXPECT_EQ(plain.updates, 0u);
    EXPECT_EQ(plain.variant, 10);
    EXPECT_FALSE(plain.faults.pages.ignoreEntryCommand || plain.faults.pages.omitReady
                 || plain.faults.pages.silentAfterEndMarker);
}

TEST(DevsimOptions, RowFaultsCountRowsFromOne)
{
    const DevsimOptions o = Parsed({"--com", "4", "--variant", "row-wake", "--no-xon", "1", "--wrong-xon", "3:41",
                                    "--no-xoff", "2", "--wrong-xoff=4:1311", "--no-line-complete", "5",
                                    "--wrong-line-complete", "6:7E7E", "--at-storm", "7:40", "--silent-at-row",
                                    "8:1", "--xon-delay", "3", "--row-write", "9"});
    const RowBootLoaderFaults& f = o.faults.rows;
    using Steps = std::map<size_t, std::vector<uint8_t>>;
    EXPECT_EQ(f.xonFor, (Steps{{0, {}}, {2, {0x41}}}));
    EXPECT_EQ(f.xoffFor, (Steps{{1, {}}, {3, {0x13, 0x11}}, {6, std::vector<uint8_t>(40, '@')}}));
    EXPECT_EQ(f.lineCompleteFor, (Steps{{4, {}}, {5, {'~', '~'}}}));
    ASSERT_TRUE(f.silentFrom);
    EXPECT_EQ(f.silentFrom->row, 7u);
    EXPECT_EQ(f.silentFrom->character, 0u);
    EXPECT_EQ(f.xonDelayMs, 3u);
    EXPECT_EQ(f.rowWriteMs, 9u);
}

TEST(DevsimOptions, BootLoaderFaultsReachTheRowBootLoaderToo)
{
    const DevsimOptions o = Parsed({"--com", "4", "--variant", "1", "--version", "TVQXR-1-4.0", "--no-ready",
                                    "--ready-byte", "21", "--response-delay", "7", "--end-answer", "7E"});
    const RowBootLoaderFaults& f = o.faults.rows;
    EXPECT_EQ(f.versionText, "TVQXR-1-4.0");
    EXPECT_TRUE(f.omitReady);
    EXPECT_EQ(f.readyByte, uint8_t{'!'});
    EXPECT_EQ(f.responseDelayMs, 7u);
    EXPECT_EQ(f.fileCompleteAnswer, std::vector<uint8_t>{'~'});

    // Left alone, the row boot loader keeps its own '@'; silenced, it says
    // nothing, whatever --end-answer says.
    EXPECT_FALSE(Parsed({"--com", "4", "--variant", "1"}).faults.rows.fileCompleteAnswer);
    EXPECT_EQ(Parsed({"--com", "4", "--variant", "1", "--end-answer", "41", "--silent-after-end"})
                  .faults.rows.fileCompleteAnswer,
              std::vector<uint8_t>{});
}

// The options no bench test drives: noise and answers, and the
// application's refusals.
TEST(DevsimOptions, WakeUpAndApplicationOptions)
{
    const WakeUpOptions w = Parsed({"--com", "4", "--variant", "page256-start", "--wake-noise", "0D0A",
                                    "--wake-noise-after", "FF", "--poll-answer", "3F"})
                                .faults.wakeUp;
    EXPECT_EQ(w.noiseBeforeWake, (std::vector<uint8_t>{0x0D, 0x0A}));
    EXPECT_EQ(w.noiseAfterWake, std::vector<uint8_t>{0xFF});
    EXPECT_EQ(w.pollAnswer, std::vector<uint8_t>{'?'});

    const ApplicationOptions a = Parsed({"--com", "4", "--variant", "2", "--in-application", "--app-answer",
                                         "QX-APP", "--dsr-never-drops", "--no-app-answer"})
                                     .faults.application;
    EXPECT_EQ(a.answerText, "QX-APP");
    EXPECT_TRUE(a.dsrNeverDrops && a.ignoreVersionRequest);
}

TEST(DevsimOptions, RadioOptionsReachTheGatewayAndTheRemoteUnit)
{
    const DevsimOptions o = Parsed(
        {"--com", "4", "--variant", "radio-page", "--gateway-baud", "9600", "--no-gateway", "--link-configured",
         "--module-id", "B", "--setup-after", "250", "--answer-fault", "ID=short", "--answer-fault=rDL=wrong-letters",
         "--module-id-answer", "B ", "--link-never-up", "--probes-answered", "0", "--setup-line",
         "$ROVER,\\x41\\\\\\r", "--relay-delay", "4", "--resend", "2:1", "--noise-at", "10:0D"});
    EXPECT_EQ(o.variant, 6);
    const RadioOptions& r = o.faults.radio;
    EXPECT_EQ(r.gatewayBaud, 9600u);
    EXPECT_TRUE(r.gatewayAbsent && r.linkConfigured && r.linkNeverUp);
    EXPECT_EQ(r.moduleId, 'B');
    EXPECT_EQ(r.setupAfterListenMs, uint64_t{250});
    EXPECT_EQ(r.answerFaults, (std::map<std::string, AnswerFault>{{"ID", AnswerFault::Short},
                                                                 {"rDL", AnswerFault::WrongLetters}}));
    EXPECT_EQ(r.moduleIdAnswer, "B ");
    EXPECT_EQ(r.probesAnswered, 0);
    EXPECT_EQ(r.setupLine, std::string("$ROVER,A\\\r"));
    EXPECT_EQ(r.relayDelayMs, 4u);
    EXPECT_EQ(o.faults.pages.resendsForPage.at(2), 1u) << "the boot loader behind the radio";

    // Setup presses itself unless told otherwise; the others have no button.
    EXPECT_EQ(Parsed({"--com", "4", "--variant", "3"}).faults.radio.setupAfterListenMs, uint64_t{1500});
    EXPECT_FALSE(Parsed({"--com", "4"}).faults.radio.setupAfterListenMs);
}

TEST(DevsimOptions, RefusesWhatCannotBeMeant)
{
    const struct {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{}, "--com N (1 to 22) is required"},
        {{"--com", "23"}, "invalid value '23' for --com"},
        {{"--com"}, "--com needs a value"},
        {{"--com", "3", "--fast=1"}, "--fast takes no value"},
        {{"--com", "3", "--variant", "row"}, "unknown variant 'row': choose 10 (page), 1 (row-wake), 2 (row-app)"},
        {{"--com", "3", "--ready-after-wrong"}, "needs --ready-byte"},
        {{"--com", "3", "--bogus"}, "unknown option '--bogus'"},
        {{"3"}, "unknown option '3'"},
        // Each value form refuses what it cannot read.
        {{"--com", "3", "--response-delay", "-5"}, "--response-delay"},
        {{"--com", "3", "--ready-byte", "100"}, "--ready-byte"},
        {{"--com", "3", "--resend", "70000:1"}, "--resend"},
        {{"--com", "3", "--version-pieces", "5:10,"}, "--version-pieces"},
        {{"--com", "3", "--noise-at", "10:ABC"}, "--noise-at"},
        {{"--com", "3", "--variant", "1", "--no-xon", "0"}, "invalid value '0' for --no-xon"},
        {{"--com", "3", "--variant", "1", "--no-xon", "1:41"}, "--no-xon"},
        {{"--com", "3", "--variant", "1", "--at-storm", "2:0"}, "--at-storm"},
        {{"--com", "3", "--variant", "6", "--answer-fault", "rID=short"}, "--answer-fault"},
        {{"--com", "3", "--variant", "6", "--module-id", "77"}, "--module-id"},
        {{"--com", "3", "--variant", "6", "--setup-line", "\\x4"}, "--setup-line"},
        // Options for parts the chosen unit does not have, wherever
        // --variant stands.
        {{"--com", "3", "--no-xoff", "2", "--variant", "page256-wake"},
         "--no-xoff does not apply to variant 4 (page256-wake): only to variant 1 (row-wake), 2 (row-app), 3 "
         "(radio-row)"},
        {{"--com", "3", "--variant", "4", "--start-answer", "41"},
         "--start-answer does not apply to variant 4 (page256-wake): only to variant 5 (page256-start)"},
        {{"--com", "3", "--variant", "2", "--dsr-never-drops"},
         "--dsr-never-drops does not apply to variant 2 (row-app): it needs --variant 2 with --in-application"},
        {{"--com", "3", "--variant", "radio-row", "--never-wake"}, "--never-wake does not apply to variant 3"},
        // Options before --help are still checked.
        {{"--com", "99", "--help"}, "invalid value '99' for --com"},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const std::string& a : c.args)
            joined += a + " ";
        const DevsimCommandLine result = ParseDevsimCommandLine(c.args);
        EXPECT_EQ(result.outcome, Outcome::Error) << joined;
        EXPECT_NE(result.error.find(c.mentions), std::string::npos) << joined << ": " << result.error;
    }
    EXPECT_EQ(ParseDevsimCommandLine({"--com", "3", "--help", "--bogus"}).outcome, Outcome::Help);
}

TEST(DevsimOptions, EveryOptionAndUnitIsExplainedInTheHelp)
{
    const std::string usage = DevsimUsage();
    for (const std::string& name : DevsimOptionNames())
        EXPECT_NE(usage.find("\n  " + name), std::string::npos) << name;
    for (int variant : {10, 1, 2, 3, 4, 5, 6})
        EXPECT_NE(usage.find("  " + VariantName(variant) + ", " + std::to_string(variant)), std::string::npos)
            << variant;
}

} // namespace
} // namespace tvqx::sim
