#include "platform/Directories.h"

#include "platform/Win32Api.h"

namespace tvqx {

namespace {

// The path buffers the system fills are the classic 260 characters.
constexpr DWORD kPathBuffer = MAX_PATH;

} // namespace

std::string ExecutableDirectory()
{
    const char* commandLine = ::GetCommandLineA();
    return ProgramDirFromCommandLine(commandLine ? commandLine : "");
}

std::string LongTempDirectory(const std::string& tempPath)
{
    char longPath[kPathBuffer] = {};
    const DWORD length = ::GetLongPathNameA(tempPath.c_str(), longPath, kPathBuffer);
    // Zero is failure; a length past the buffer means it did not fit, and
    // the buffer holds nothing usable then either.
    if (length == 0 || length >= kPathBuffer)
        return "C:\\";
    return std::string(longPath, length);
}

std::string UserTempDirectory()
{
    char tempPath[kPathBuffer] = {};
    // Its result is not examined: a failure leaves the buffer empty, and the
    // long form of an empty path fails in turn.
    ::GetTempPathA(kPathBuffer, tempPath);
    return LongTempDirectory(tempPath);
}

} // namespace tvqx
