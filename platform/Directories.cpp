#include "platform/Directories.h"

namespace tvqx {

std::string ProgramDirFromCommandLine(const std::string& commandLine)
{
    std::string path;
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t start = 1;
        while (start < commandLine.size() && (commandLine[start] == ' ' || commandLine[start] == '\t'))
            ++start;
        const size_t close = commandLine.find('"', start);
        // Without its closing quote the command line gives no usable path.
        if (close == std::string::npos)
            return {};
        path = commandLine.substr(start, close - start);
    } else {
        const size_t blank = commandLine.find(' ');
        path = blank == std::string::npos ? commandLine : commandLine.substr(0, blank);
    }
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace tvqx
