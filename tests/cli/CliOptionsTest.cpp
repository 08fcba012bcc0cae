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

TEST(CliUsage, ExplainsOptionsExitStatusesAndPortMapping)
{
    const std::string usage = UsageText();
    for (const char* part : {"--port COMn", "--list-ports", "--help", "Exit status", "0  the firmware was updated",
                             "1  the update was started and failed", "2  no update could start", "ports/",
                             "/dev/ttySk is COM k+1", "/dev/ttyUSB*", "dialout"})
        EXPECT_NE(usage.find(part), std::string::npos) << part;
}

} // namespace
} // namespace tvqx::cli
