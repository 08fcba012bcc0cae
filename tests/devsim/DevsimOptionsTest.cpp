// The command line: what a technician gets wrong is refused with a reason;
// the few options that are more than a field set (rows counted from one,
// options shared by several units, each of --units' units its own port,
// flash and faults) reach the unit as meant.

#include "sim/pty/DevsimOptions.h"

#include <gtest/gtest.h>

namespace tvqx::sim {
namespace {

using Outcome = DevsimCommandLine::Outcome;

DevsimOptions Parsed(std::vector<std::string> args)
{
    args.insert(args.begin(), {"--com", "4"});
    const DevsimCommandLine c = ParseDevsimCommandLine(args);
    EXPECT_EQ(c.outcome, Outcome::Run) << c.error;
    return c.options;
}

TEST(DevsimOptions, RowNumbersCountFromOneAndSharedOptionsReachEachUnit)
{
    const RowBootLoaderFaults rows = Parsed({"--variant", "row-wake", "--no-xon", "1", "--wrong-xoff=4:1311",
                                             "--at-storm", "7:40", "--silent-at-row", "8:1", "--end-answer", "7E"})
                                         .faults.rows;
    using Steps = std::map<size_t, std::vector<uint8_t>>;
    EXPECT_EQ(rows.xonFor, (Steps{{0, {}}}));
    EXPECT_EQ(rows.xoffFor, (Steps{{3, {0x13, 0x11}}, {6, std::vector<uint8_t>(40, '@')}}));
    ASSERT_TRUE(rows.silentFrom);
    EXPECT_EQ(rows.silentFrom->row, 7u);
    EXPECT_EQ(rows.silentFrom->character, 0u);
    EXPECT_EQ(rows.fileCompleteAnswer, std::vector<uint8_t>{'~'});
    // Left alone, the row boot loader keeps its own '@'; silenced, it says
    // nothing, whatever --end-answer says.
    EXPECT_FALSE(Parsed({"--variant", "1"}).faults.rows.fileCompleteAnswer);
    EXPECT_EQ(Parsed({"--variant", "1", "--end-answer", "41", "--silent-after-end"}).faults.rows.fileCompleteAnswer,
              std::vector<uint8_t>{});

    // The boot loader behind the radio takes the page options; Setup presses
    // itself unless told otherwise, and the other units have no button.
    const DevsimOptions radio = Parsed({"--variant", "radio-page", "--resend", "2:1"});
    EXPECT_EQ(radio.faults.pages.resendsForPage.at(2), 1u);
    EXPECT_EQ(radio.faults.radio.setupAfterListenMs, uint64_t{1500});
    EXPECT_FALSE(Parsed({}).faults.radio.setupAfterListenMs);
}

TEST(DevsimOptions, EachUnitHasItsOwnPortAndFlashAndOnlyTheFaultyOneItsFaults)
{
    const DevsimOptions all = Parsed({"--units", "3", "--variant", "radio-page", "--faulty-unit", "COM5",
                                      "--no-gateway", "--noise-at", "5:00", "--flash-out", "out/{port}-{port}.bin"});
    const DevsimOptions faulty = UnitOptions(all, 5);
    const DevsimOptions healthy = UnitOptions(all, 6);
    EXPECT_EQ(faulty.comNumber, 5);
    EXPECT_EQ(faulty.flashOut, "out/COM5-COM5.bin");
    EXPECT_TRUE(faulty.faults.radio.gatewayAbsent);
    EXPECT_EQ(faulty.noise.size(), 1u);
    EXPECT_EQ(healthy.flashOut, "out/COM6-COM6.bin");
    EXPECT_FALSE(healthy.faults.radio.gatewayAbsent);
    EXPECT_TRUE(healthy.noise.empty());
    // Healthy is what the variant alone makes: its Setup still presses itself.
    EXPECT_EQ(healthy.faults.radio.setupAfterListenMs, uint64_t{1500});

    // Without --faulty-unit every unit has the faults; a folder holds a
    // file per port, and one unit keeps its FILE as given.
    const DevsimOptions same =
        UnitOptions(Parsed({"--units", "2", "--variant", "1", "--never-wake", "--flash-out", "f/"}), 5);
    EXPECT_TRUE(same.faults.wakeUp.neverWakes);
    EXPECT_EQ(same.flashOut, "f/COM5.bin");
    EXPECT_EQ(UnitOptions(Parsed({"--flash-out", "f.bin"}), 4).flashOut, "f.bin");
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
        {{"--com", "3", "--units", "0"}, "invalid value '0' for --units"},
        {{"--com", "20", "--units", "4"}, "--units 4 from COM20 would reach COM23: the last COM number is 22"},
        {{"--com", "5", "--units", "2", "--faulty-unit", "COM7"}, "--faulty-unit COM7 is not one of the units (COM5"},
        {{"--com", "5", "--units", "2", "--flash-out", "f.bin"}, "--flash-out with --units needs {port} in FILE or"},
        {{"--com", "3", "--bogus"}, "unknown option '--bogus'"},
        {{"3"}, "unknown option '3'"},
        // Each form of value refuses what it cannot read.
        {{"--com", "3", "--response-delay", "-5"}, "--response-delay"},
        {{"--com", "3", "--ready-byte", "100"}, "--ready-byte"},
        {{"--com", "3", "--resend", "70000:1"}, "--resend"},
        {{"--com", "3", "--version-pieces", "5:10,"}, "--version-pieces"},
        {{"--com", "3", "--noise-at", "10:ABC"}, "--noise-at"},
        {{"--com", "3", "--faulty-unit", "3"}, "invalid value '3' for --faulty-unit"},
        {{"--com", "3", "--variant", "1", "--no-xon", "0"}, "invalid value '0' for --no-xon"},
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
