#pragma once
// The console front end's command line.

#include <string>
#include <vector>

namespace tvqx::cli {

struct CliOptions {
    enum class Action { Update, ListPorts, Help, Invalid };

    Action action = Action::Update;
    int port = 0;        // COMn given with --port; 0 = the window's preselection
    std::string error;   // what was wrong, for Action::Invalid
};

// `args` are the arguments after the program name.
CliOptions ParseCliOptions(const std::vector<std::string>& args);

// The --help text.
std::string UsageText();

} // namespace tvqx::cli
