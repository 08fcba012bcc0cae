#pragma once
// The console front end's command line.

#include <string>
#include <vector>

namespace tvqx::cli {

// One --port: COMn, or a device path (Linux) still to be mapped to the COM
// number the port list holds it under.
struct PortChoice {
    int number = 0;       // n of COMn; 0 when a device was given
    std::string device;   // the path as given, or ""
};

struct CliOptions {
    enum class Action { Update, ListPorts, Help, Invalid };

    Action action = Action::Update;
    // Each --port in the order given; none: the window's preselection. Two
    // or more update those units at once.
    std::vector<PortChoice> ports;
    // --all-ports: every port the port list shows, at once.
    bool allPorts = false;
    // --trace FILE: the wire trace's file; "" leaves it to the environment.
    std::string tracePath;
    std::string error;   // what was wrong, for Action::Invalid

    // More than one unit in this run.
    bool Batch() const { return allPorts || ports.size() > 1; }
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
