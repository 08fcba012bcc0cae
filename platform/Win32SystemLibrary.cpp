#include "platform/Win32SystemLibrary.h"

#include "platform/Win32Api.h"

#include <string>

namespace tvqx {

HINSTANCE LoadSystemLibrary(const wchar_t* name)
{
    if (const HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    // A system without the search flags (before Windows 8, short of its
    // update) refuses them as an invalid parameter: the full path in the
    // system directory does the same there.
    if (::GetLastError() != ERROR_INVALID_PARAMETER)
        return nullptr;
    wchar_t directory[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(directory, length) + L"\\" + name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

AnyFunction FunctionOf(HINSTANCE module, const char* name)
{
    // Through the type that stands for any function, as the system hands it out.
    return module ? reinterpret_cast<AnyFunction>(::GetProcAddress(module, name)) : nullptr;
}

} // namespace tvqx
