#pragma once
// Where the program finds its files and keeps its own.

#include <string>

namespace tvqx {

// The program's directory from a command line, by the rules of a Windows
// command line: a quoted program path runs to the next quote (white space
// after the opening quote skipped), an unquoted one to the first blank. The
// result ends in a backslash, or is empty when the path has none.
std::string ProgramDirFromCommandLine(const std::string& commandLine);

// The directory of the running program, ending in the system's separator;
// empty if unknown. On Windows it is cut from the process command line by the
// rules above, so a command line without a usable path gives "" (the current
// directory): the window's rule.
std::string ExecutableDirectory();

// The directory of the running program's own file, whatever the command line
// says (a command prompt passes it as typed, "tvqx-update-cli" found through
// PATH): Windows asks for the module's path, Linux reads /proc/self/exe.
// Ends in the system's separator; empty if unknown.
std::string ModuleDirectory();

// The user's own temporary directory, ending in the system's separator.
// Linux: $XDG_RUNTIME_DIR, else $TMPDIR, else /tmp (the first that is an
// existing directory). Windows: the system's temporary path in its long form,
// or "C:\" when the long form cannot be had.
std::string UserTempDirectory();

#ifdef _WIN32
// The long form of `tempPath`, or "C:\" when the system cannot give it
// (the path does not exist, or does not fit 260 characters). UTF-8 both ways.
std::string LongTempDirectory(const std::string& tempPath);
#else
// The per-user configuration directory of the maker's programs, ending in
// '/': $XDG_CONFIG_HOME/Ostrale Systems/ (default ~/.config/Ostrale Systems/).
std::string ConfigDirectory();

// The port directory (COMn entries) and the settings file in it.
std::string PortDirectory();
std::string SettingsFilePath();
#endif

} // namespace tvqx
