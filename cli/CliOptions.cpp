#include "cli/CliOptions.h"

#include "platform/PortInventory.h"

#include <CLI/CLI.hpp>

namespace tvqx::cli {

namespace {

// "COM3" in any case, or just "3".
int ParsePort(const std::string& value)
{
    if (const int n = ComPortNumber(value))
        return n;
    return ComPortNumber("COM" + value);
}

void TakePort(CliOptions& options, const std::string& value, HelpSystem system)
{
    if (system == HelpSystem::Linux && value.starts_with("/")) {
        options.ports.push_back({0, value});
        return;
    }
    const int number = ParsePort(value);
    if (number == 0)
        throw CLI::ValidationError("not a port: " + value +
                                   (system == HelpSystem::Linux ? " (COM1 to COM22, or a device such as /dev/ttyUSB0)"
                                                                : " (COM1 to COM22)"));
    for (const PortChoice& earlier : options.ports)
        if (earlier.number == number)
            throw CLI::ValidationError("COM" + std::to_string(number) + " given twice");
    options.ports.push_back({number, {}});
}

void TakeTrace(CliOptions& options, const std::string& value)
{
    if (!options.tracePath.empty())
        throw CLI::ValidationError("--trace given twice");
    if (value.empty())
        throw CLI::ValidationError("--trace needs a file, for example --trace trace.txt");
    options.tracePath = value;
}

// CLI11's own refusals, put as the program has always put them: a value
// missing at the end, or a flag given one (--help=1), which was never an
// option of ours.
std::string Reworded(const std::string& what, const std::vector<std::string>& args)
{
    if (what.starts_with("--port:"))
        return "--port needs a port, for example --port COM3";
    if (what.starts_with("--trace:"))
        return "--trace needs a file, for example --trace trace.txt";
    const std::string flag = "--" + what.substr(0, what.find(' ')) + "=";
    for (const std::string& arg : args)
        if (arg.starts_with(flag))
            return "unknown option: " + arg;
    return what;
}

} // namespace

CliOptions ParseCliOptions(const std::vector<std::string>& args, HelpSystem system)
{
    CliOptions options;
    bool help = false;
    bool listPorts = false;
    bool allPorts = false;
    CLI::App app;
    // The help text is our own, and --help is one flag among the others:
    // a wrong command line is refused even when it asks for help.
    app.set_help_flag();
    // Unknown arguments are named in our words below.
    app.allow_extras();
    app.add_flag("-h,--help", help)->disable_flag_override();
    app.add_flag("--list-ports", listPorts)->disable_flag_override();
    app.add_flag("--all-ports", allPorts)->disable_flag_override();
    // Each --port and --trace is taken where it stands, so that a repeated
    // one is refused rather than overriding the first.
    app.add_option_function<std::string>("--port", [&](const std::string& v) { TakePort(options, v, system); })
        ->trigger_on_parse();
    app.add_option_function<std::string>("--trace", [&](const std::string& v) { TakeTrace(options, v); })
        ->trigger_on_parse();
    std::string error;
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
        if (!app.remaining().empty())
            error = "unknown option: " + app.remaining().front();
    } catch (const CLI::ArgumentMismatch& e) {
        error = Reworded(e.what(), args);
    } catch (const CLI::ParseError& e) {
        error = e.what();
    }
    if (error.empty() && allPorts && !options.ports.empty())
        error = "--port cannot be combined with --all-ports";
    if (!error.empty())
        return {CliOptions::Action::Invalid, {}, false, {}, error};
    options.allPorts = allPorts;
    // Help wins over everything else, so that it can always be asked for.
    if (help)
        options.action = CliOptions::Action::Help;
    else if (listPorts)
        options.action = CliOptions::Action::ListPorts;
    return options;
}

} // namespace tvqx::cli
