#include "platform/PathText.h"

#include "platform/Win32Api.h"

#include <shellapi.h>

#include <cwchar>

namespace tvqx {

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    UINT codePage = CP_UTF8;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int n = ::MultiByteToWideChar(codePage, flags, utf8.data(), size, nullptr, 0);
    if (n == 0) {
        codePage = CP_ACP;
        flags = 0;
        n = ::MultiByteToWideChar(codePage, flags, utf8.data(), size, nullptr, 0);
    }
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, flags, utf8.data(), size, wide.data(), n);
    return wide;
}

std::string Narrow(const wchar_t* text, std::size_t length)
{
    if (length == 0)
        return {};
    const int size = static_cast<int>(length);
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Narrow(wide[i], std::wcslen(wide[i])));
    ::LocalFree(wide);
    return arguments;
}

} // namespace tvqx
