#include "sim/pty/FlashFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <unistd.h>

namespace tvqx::sim {

bool WriteFlashFile(const std::string& path, const std::vector<uint8_t>& flash, std::string& reason)
{
    const std::string temp = path + ".tmp." + std::to_string(::getpid());
    bool ok = false;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(flash.data()), static_cast<std::streamsize>(flash.size()));
        out.close();
        ok = static_cast<bool>(out);
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    reason = std::strerror(errno);
    std::remove(temp.c_str());
    return false;
}

} // namespace tvqx::sim
