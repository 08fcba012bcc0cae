#pragma once
// Where the program finds its files and keeps its own.

#include <string>

namespace tvqx {

// The program's directory from a command line, by the rules of a Windows
// command line: a quoted program path runs to the next quote (white space
// after the opening quote skipped), an unquoted one to the first blank. The
// result ends in a backslash, or is empty when the path has none.
std::string ProgramDirFromCommandLine(const std::string& commandLine);

// The directory of the running executable, ending in '/'; empty if unknown.
std::string ExecutableDirectory();

// The user's own temporary directory, ending in '/': $XDG_RUNTIME_DIR, else
// $TMPDIR, else /tmp (the first that is an existing directory).
std::string UserTempDirectory();

// The per-user configuration directory of the maker's programs, ending in
// '/': $XDG_CONFIG_HOME/Ostrale Systems/ (default ~/.config/Ostrale Systems/).
std::string ConfigDirectory();

// The port directory (COMn entries) and the settings file in it.
std::string PortDirectory();
std::string SettingsFilePath();

} // namespace tvqx
