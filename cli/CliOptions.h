#pragma once
// The console front end's command line.

#include <string>
#include <vector>

namespace tvqx::cli {

struct CliOptions {
    enum class Action { Update, ListPorts, Help, Invalid };

    Action action = Action::Update;
    int port = 0;        // COMn given with --port; 0 = the window's preselection
    // A device path given with --port instead (Linux), still to be mapped to
    // the COM number the port list holds it under; port is then 0.
    std::string portDevice;
    // --trace FILE: the wire trace's file; "" leaves it to the environment.
    std::string tracePath;
    std::string error;   // what was wrong, for Action::Invalid
};

// Which system's ports and settings the --help text explains.
enum class HelpSystem { Linux, Windows };
#ifdef _WIN32
inline constexpr HelpSystem kThisHelpSystem = HelpSystem::Windows;
#else
inline constexpr HelpSystem kThisHelpSystem = HelpSystem::Linux;
#endif

// `args` are the arguments after the program name. Only on Linux does
// --port take a device path as well.
CliOptions ParseCliOptions(const std::vector<std::string>& args, HelpSystem system = kThisHelpSystem);

// What the update procedure a program was built with does for its user.
struct VariantTraits {
    bool runs = false;    // "Begin Update" does something at all
    bool waits = false;   // it waits for the device, and Ctrl-C cancels the wait
    // It may wait for the remote unit's parameters, and Ctrl-C cancels that.
    bool asksForRemoteUnit = false;
};
VariantTraits TraitsOfVariant(int updateVariant);

// The --help text of a program built with this update procedure.
std::string UsageText(int updateVariant, HelpSystem system = kThisHelpSystem);

} // namespace tvqx::cli
