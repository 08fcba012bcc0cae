#include "platform/Directories.h"
#include "platform/PathText.h"

#include "platform/Win32Api.h"

#include <cwchar>
#include <vector>

namespace tvqx {

namespace {

// The path buffers the system fills are the classic 260 characters.
constexpr DWORD kPathBuffer = MAX_PATH;

// Up to and including the last backslash; empty when there is none.
std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

std::string ExecutableDirectory()
{
    const wchar_t* commandLine = ::GetCommandLineW();
    return ProgramDirFromCommandLine(commandLine ? Narrow(commandLine, wcslen(commandLine)) : "");
}

std::string ModuleDirectory()
{
    // A program folder deep enough to pass 260 characters is still the
    // program's: the buffer grows up to the longest path there is.
    for (DWORD size = kPathBuffer; size <= 32768; size *= 2) {
        std::vector<wchar_t> path(size);
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return DirectoryOf(Narrow(path.data(), length));
    }
    return {};
}

std::string LongTempDirectory(const std::string& tempPath)
{
    wchar_t longPath[kPathBuffer] = {};
    const DWORD length = ::GetLongPathNameW(Widen(tempPath).c_str(), longPath, kPathBuffer);
    // Zero is failure; a length past the buffer means it did not fit, and
    // the buffer holds nothing usable then either.
    if (length == 0 || length >= kPathBuffer)
        return "C:\\";
    return Narrow(longPath, length);
}

std::string UserTempDirectory()
{
    wchar_t tempPath[kPathBuffer] = {};
    // Its result is not examined: a failure leaves the buffer empty, and the
    // long form of an empty path fails in turn.
    ::GetTempPathW(kPathBuffer, tempPath);
    return LongTempDirectory(Narrow(tempPath, wcslen(tempPath)));
}

} // namespace tvqx
