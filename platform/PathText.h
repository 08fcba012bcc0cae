#pragma once
// Paths and texts are kept in UTF-8 throughout the program. Windows takes
// them in UTF-16: the Win32 layers convert at the call, with these two, so
// that a folder named in any language reaches the system as it is.

#include <cstddef>
#include <string>
#include <vector>

namespace tvqx {

// The length of a path in characters as Windows counts them (UTF-16 units),
// so that a limit of 260 means the same for "C:\Users\Zoë\" as for ASCII.
std::size_t PathLength(const std::string& utf8);

// The program's arguments, its name left out, in UTF-8. Windows hands main()
// them in the system's code page, which has no room for most of the world's
// letters: there they come from the wide command line instead.
std::vector<std::string> ProgramArguments(int argc, char** argv);

#ifdef _WIN32
// Bytes that are not UTF-8 are taken in the system's code page: a
// description file written there names its HEX file that way.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const wchar_t* text, std::size_t length);
inline std::string Narrow(const std::wstring& text) { return Narrow(text.c_str(), text.size()); }
#endif

} // namespace tvqx
