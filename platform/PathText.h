#pragma once
// Paths and texts are kept in UTF-8 throughout the program. Windows takes
// them in UTF-16: the Win32 layers convert at the call, with these two, so
// that a folder named in any language reaches the system as it is.

#include <cstddef>
#include <string>

namespace tvqx {

// The length of a path in characters as Windows counts them (UTF-16 units),
// so that a limit of 260 means the same for "C:\Users\Zoë\" as for ASCII.
std::size_t PathLength(const std::string& utf8);

#ifdef _WIN32
std::wstring Widen(const std::string& utf8);
std::string Narrow(const wchar_t* text, std::size_t length);
inline std::string Narrow(const std::wstring& text) { return Narrow(text.c_str(), text.size()); }
#endif

} // namespace tvqx
