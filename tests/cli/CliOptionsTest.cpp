// The console front end's command line.

#include "app/ProductInfo.h"
#include "cli/CliOptions.h"
#include "update/VariantTable.h"

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
        {{"--port", "/dev/ttyUSB0"}, HelpSystem::Windows, Action::Invalid, 0, "", "(COM1 to COM22)"},
        {{"--port"}, kLinux, Action::Invalid, 0, "", "--port needs a port, for example --port COM3"},
        {{"--port", "/dev/ttyUSB0", "--port", "COM1"}, kLinux, Action::Update, 0, "/dev/ttyUSB0", ""},
        {{"--port", "COM3", "--port", "com1", "--port", "3"}, kLinux, Action::Invalid, 0, "", "COM3 given twice"},
        {{"--all-ports", "--port", "COM1"}, kLinux, Action::Invalid, 0, "", "cannot be combined with --all-ports"},
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
        const PortChoice first = options.ports.empty() ? PortChoice{} : options.ports.front();
        EXPECT_EQ(first.number, c.port) << line;
        EXPECT_EQ(first.device.empty() ? options.tracePath : first.device, c.deviceOrTrace) << line;
    }
}

// The help's account of each build matches what the build does: a
// procedure the variant table leaves empty is refused before it starts, and
// the radio procedures (their gateway's speed is searched) wait for the
// remote unit. Help is read on a terminal, on either system.
TEST(CliUsage, AgreesWithTheVariantTableAndFitsATerminal)
{
    for (int variant = 0; variant <= 11; ++variant) {
        const VariantEntry* entry = FindVariant(variant);
        const bool runs = entry && entry->beginUpdate;
        const VariantTraits traits = TraitsOfVariant(variant);
        EXPECT_EQ(traits.runs, runs) << variant;
        EXPECT_EQ(traits.asksForRemoteUnit, runs && entry->baud == 0) << variant;
        // Windows keeps the saved port where the window program keeps it.
        EXPECT_NE(UsageText(variant, HelpSystem::Windows)
                      .find(std::string("HKEY_CURRENT_USER\\Software\\") + product::kSettingsKey + "\\tvqx-update\\Settings"),
                  std::string::npos);
        for (const HelpSystem system : {HelpSystem::Linux, HelpSystem::Windows}) {
            const std::string text = UsageText(variant, system);
            for (size_t start = 0, end; start < text.size(); start = end + 1) {
                end = text.find('\n', start);
                EXPECT_LE(end - start, 79u) << text.substr(start, end - start);
            }
        }
    }
}

} // namespace
} // namespace tvqx::cli
