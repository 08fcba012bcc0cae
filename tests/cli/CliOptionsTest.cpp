// The console front end's command line.

#include "cli/CliOptions.h"

#include <gtest/gtest.h>

namespace tvqx::cli {
namespace {

using Action = CliOptions::Action;

struct OptionsCase {
    std::vector<std::string> args;
    Action action;
    int port;
    std::string errorPart;   // for Action::Invalid
};

class CliOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(CliOptionsTest, Parses)
{
    const OptionsCase& c = GetParam();
    const CliOptions options = ParseCliOptions(c.args);
    EXPECT_EQ(options.action, c.action);
    if (c.action == Action::Invalid)
        EXPECT_NE(options.error.find(c.errorPart), std::string::npos) << options.error;
    else
        EXPECT_EQ(options.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOptionsTest,
    ::testing::Values(OptionsCase{{}, Action::Update, 0, ""},
                      OptionsCase{{"--port", "COM3"}, Action::Update, 3, ""},
                      OptionsCase{{"--port", "com12"}, Action::Update, 12, ""},
                      OptionsCase{{"--port=COM22"}, Action::Update, 22, ""},
                      OptionsCase{{"--port", "7"}, Action::Update, 7, ""},
                      OptionsCase{{"--list-ports"}, Action::ListPorts, 0, ""},
                      OptionsCase{{"--list-ports", "--help"}, Action::Help, 0, ""},
                      OptionsCase{{"--port", "COM23"}, Action::Invalid, 0, "COM23"},
                      OptionsCase{{"--port", "COM3 "}, Action::Invalid, 0, "not a port"},
                      OptionsCase{{"--port"}, Action::Invalid, 0, "--port needs"},
                      OptionsCase{{"--port", "COM1", "--port", "COM2"}, Action::Invalid, 0, "twice"},
                      OptionsCase{{"--bogus"}, Action::Invalid, 0, "unknown option: --bogus"},
                      OptionsCase{{"COM3"}, Action::Invalid, 0, "unknown option: COM3"},
                      OptionsCase{{"--help", "--bogus"}, Action::Invalid, 0, "--bogus"}));

// On Linux --port also takes a device, left to be mapped to its COM number;
// on Windows a path is no port.
TEST(CliOptionsDevice, PathsArePortDevicesOnLinuxOnly)
{
    const struct {
        std::vector<std::string> args;
        HelpSystem system;
        std::string device;
        std::string errorPart;
    } cases[] = {
        {{"--port", "/dev/ttyUSB0"}, HelpSystem::Linux, "/dev/ttyUSB0", ""},
        {{"--port=/dev/serial/by-id/usb-X-if00-port0"}, HelpSystem::Linux, "/dev/serial/by-id/usb-X-if00-port0", ""},
        {{"--port", "/dev/ttyUSB0", "--port", "COM1"}, HelpSystem::Linux, "", "twice"},
        {{"--port", "COM1", "--port", "/dev/ttyUSB0"}, HelpSystem::Linux, "", "twice"},
        {{"--port", "ttyUSB0"}, HelpSystem::Linux, "", "or a device such as /dev/ttyUSB0"},
        {{"--port", "/dev/ttyUSB0"}, HelpSystem::Windows, "", "(COM1 to COM22)"},
    };
    for (const auto& c : cases) {
        const CliOptions options = ParseCliOptions(c.args, c.system);
        EXPECT_EQ(options.action == Action::Invalid, !c.errorPart.empty()) << c.args.back();
        if (options.action == Action::Invalid) {
            EXPECT_NE(options.error.find(c.errorPart), std::string::npos) << options.error;
        } else {
            EXPECT_EQ(options.port, 0) << c.args.back();
            EXPECT_EQ(options.portDevice, c.device) << c.args.back();
        }
    }
}

// The options and exit statuses are the same everywhere; what the help says
// about ports and the saved port is each system's own, and nothing of the
// other's may leak in (a Windows user has no ~/.config, a Linux user no
// registry).
struct UsageCase {
    HelpSystem system;
    std::vector<std::string> says;
    std::vector<std::string> doesNotSay;
};

class CliUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsage, ExplainsOptionsExitStatusesPortsAndSettings)
{
    const std::string usage = UsageText(10, GetParam().system);
    for (const char* part : {"--port COMn", "--trace FILE", "TVQX_TRACE=FILE", "--list-ports", "--help", "Exit status", "0    the firmware was updated",
                             "1    the update was started and failed", "2    no update could start",
                             "130  cancelled with Ctrl-C"})
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    for (const auto& part : GetParam().says)
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    for (const auto& part : GetParam().doesNotSay)
        EXPECT_EQ(usage.find(part), std::string::npos) << part;
}

INSTANTIATE_TEST_SUITE_P(
    Systems, CliUsage,
    ::testing::Values(
        UsageCase{HelpSystem::Linux,
                  {"ports/", "/dev/ttySk is COM k+1", "/dev/ttyUSB*", "dialout", "tvqx-update.conf"},
                  {"SERIALCOMM", "HKEY_"}},
        UsageCase{HelpSystem::Windows,
                  {"HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SERIALCOMM",
                   "HKEY_CURRENT_USER\\Software\\Ostrale Systems\\tvqx-update\\Settings", "ComPort",
                   "tvqx-update.exe"},
                  {"/dev/", "~/.config", "dialout", ".conf"}}),
    [](const auto& info) { return info.param.system == HelpSystem::Windows ? "Windows" : "Linux"; });

// The help says what the build's procedure means for its user: whether it
// waits for the device, and so what Ctrl-C does.
struct VariantHelpCase {
    int variant;
    bool runs, waits;
    std::vector<std::string> says;
    std::vector<std::string> doesNotSay;
};

class VariantHelp : public ::testing::TestWithParam<VariantHelpCase> {};

TEST_P(VariantHelp, DescribesTheBuildsProcedure)
{
    const VariantHelpCase& c = GetParam();
    const VariantTraits traits = TraitsOfVariant(c.variant);
    EXPECT_EQ(traits.runs, c.runs);
    EXPECT_EQ(traits.waits, c.waits);
    const std::string usage = UsageText(c.variant);
    for (const auto& part : c.says)
        EXPECT_NE(usage.find(part), std::string::npos) << part << "\n" << usage;
    for (const auto& part : c.doesNotSay)
        EXPECT_EQ(usage.find(part), std::string::npos) << part << "\n" << usage;
    // Help is read on a terminal, on either system.
    for (const HelpSystem system : {HelpSystem::Linux, HelpSystem::Windows}) {
        const std::string text = UsageText(c.variant, system);
        for (size_t start = 0, end; start < text.size(); start = end + 1) {
            end = text.find('\n', start);
            EXPECT_LE(end - start, 79u) << text.substr(start, end - start);
        }
    }
}

const std::string kWaits = "(it waits for the device)";
const std::string kAtOnce = "(it runs at once)";
const std::string kCancels = "Ctrl-C is \"Cancel Update\"";
const std::string kRadio = "(it may wait for a Setup press)";
const std::string kRemoteCancel = "130  cancelled with Ctrl-C while waiting for the device (here: for the\n"
                                  "       remote unit's parameters)";
const std::string kNeverWaits = "never in this\n       program: it does not wait";

INSTANTIATE_TEST_SUITE_P(
    Variants, VariantHelp,
    ::testing::Values(
        VariantHelpCase{1, true, true, {"procedure 1 " + kWaits, "row by row", kCancels, "Press Ctrl-C to cancel."},
                        {kNeverWaits, "page image is deleted"}},
        VariantHelpCase{2, true, false, {"procedure 2 " + kAtOnce, "row by row", kNeverWaits}, {kCancels}},
        VariantHelpCase{3, true, false, {kRadio, "radio gateway", "row by row", kCancels, kRemoteCancel}, {kNeverWaits}},
        VariantHelpCase{4, true, true, {kWaits, "pages of 256 bytes", kCancels, "page image is deleted"}, {kNeverWaits}},
        VariantHelpCase{5, true, true, {kWaits, "start command", "pages of 256 bytes", kCancels}, {kNeverWaits}},
        VariantHelpCase{6, true, false, {kRadio, "radio gateway", "pages of 256 bytes", kCancels, kRemoteCancel},
                        {kNeverWaits, kAtOnce}},
        VariantHelpCase{10, true, false, {kAtOnce, "pages of 128 bytes", kNeverWaits, "Ctrl-C ends the program at once"}, {kCancels}},
        VariantHelpCase{7, false, false, {"procedure 7, which has none", "status 2"}, {kWaits, kAtOnce}},
        VariantHelpCase{0, false, false, {"procedure 0, which has none"}, {kCancels}}),
    [](const auto& info) { return "Variant" + std::to_string(info.param.variant); });

// --trace takes one file, in either form; the environment is not the
// parser's business.
TEST(CliOptionsTrace, TakesOneFile)
{
    const struct {
        std::vector<std::string> args;
        std::string tracePath;
        std::string errorPart;
    } cases[] = {
        {{"--trace", "t.txt", "--port", "COM2"}, "t.txt", ""},
        {{"--port=COM2", "--trace=/tmp/a b.txt"}, "/tmp/a b.txt", ""},
        {{}, "", ""},
        {{"--trace"}, "", "--trace needs a file"},
        {{"--trace="}, "", "--trace needs a file"},
        {{"--trace", "a", "--trace", "b"}, "", "--trace given twice"},
    };
    for (const auto& c : cases) {
        const CliOptions options = ParseCliOptions(c.args);
        if (c.errorPart.empty()) {
            EXPECT_EQ(options.action, Action::Update) << options.error;
            EXPECT_EQ(options.tracePath, c.tracePath);
        } else {
            EXPECT_EQ(options.action, Action::Invalid);
            EXPECT_NE(options.error.find(c.errorPart), std::string::npos) << options.error;
        }
    }
}

} // namespace
} // namespace tvqx::cli
