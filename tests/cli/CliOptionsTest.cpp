// The console front end's command line.

#include "cli/CliOptions.h"

#include <gtest/gtest.h>

namespace tvqx::cli {
namespace {

using Action = CliOptions::Action;

// What a command line asks for, or why it is refused. On Linux --port also
// takes a device, left to be mapped to its COM number; on Windows a path is
// no port. The trace's environment variable is not the parser's business.
TEST(CliOptions, ParsesOrRefuses)
{
    constexpr HelpSystem kLinux = HelpSystem::Linux;
    const struct {
        std::vector<std::string> args;
        HelpSystem system;
        Action action;
        int port;
        std::string deviceOrTrace;
        std::string error;
    } cases[] = {
        {{}, kLinux, Action::Update, 0, "", ""},
        {{"--port", "com12"}, kLinux, Action::Update, 12, "", ""},
        {{"--port=COM22"}, kLinux, Action::Update, 22, "", ""},
        {{"--port", "7", "--trace", "t.txt"}, kLinux, Action::Update, 7, "t.txt", ""},
        {{"--trace=/tmp/a b.txt"}, kLinux, Action::Update, 0, "/tmp/a b.txt", ""},
        {{"--port", "/dev/ttyUSB0"}, kLinux, Action::Update, 0, "/dev/ttyUSB0", ""},
        {{"--list-ports"}, kLinux, Action::ListPorts, 0, "", ""},
        {{"--list-ports", "-h"}, kLinux, Action::Help, 0, "", ""},
        {{"--port", "COM23"}, kLinux, Action::Invalid, 0, "", "not a port: COM23 (COM1 to COM22, or a device such"},
        {{"--port", "COM3 "}, kLinux, Action::Invalid, 0, "", "not a port"},
        {{"--port", "/dev/ttyUSB0"}, HelpSystem::Windows, Action::Invalid, 0, "", "(COM1 to COM22)"},
        {{"--port"}, kLinux, Action::Invalid, 0, "", "--port needs a port, for example --port COM3"},
        {{"--port", "/dev/ttyUSB0", "--port", "COM1"}, kLinux, Action::Invalid, 0, "", "--port given twice"},
        {{"--trace="}, kLinux, Action::Invalid, 0, "", "--trace needs a file"},
        {{"--trace", ""}, kLinux, Action::Invalid, 0, "", "--trace needs a file"},
        {{"--trace", "a", "--trace", "b"}, kLinux, Action::Invalid, 0, "", "--trace given twice"},
        {{"COM3"}, kLinux, Action::Invalid, 0, "", "unknown option: COM3"},
        {{"--help", "--bogus"}, kLinux, Action::Invalid, 0, "", "unknown option: --bogus"},
        {{"--list-ports=0"}, kLinux, Action::Invalid, 0, "", "unknown option: --list-ports=0"},
    };
    for (const auto& c : cases) {
        const CliOptions options = ParseCliOptions(c.args, c.system);
        const std::string line = c.args.empty() ? "(none)" : c.args.front() + " ...";
        EXPECT_EQ(options.action, c.action) << line << ": " << options.error;
        if (c.action == Action::Invalid) {
            EXPECT_NE(options.error.find(c.error), std::string::npos) << line << ": " << options.error;
            continue;
        }
        EXPECT_EQ(options.port, c.port) << line;
        EXPECT_EQ(options.portDevice.empty() ? options.tracePath : options.portDevice, c.deviceOrTrace) << line;
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

} // namespace
} // namespace tvqx::cli
