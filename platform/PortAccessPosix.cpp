#include "platform/PortAccess.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace tvqx {

std::optional<PortAccessProblem> FindPortAccessProblem(const std::string& devicePath)
{
    if (devicePath.empty())
        return std::nullopt;
    std::error_code ec;
    const auto resolved = std::filesystem::canonical(devicePath, ec);
    const std::string device = ec ? devicePath : resolved.string();
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0 || ::access(device.c_str(), R_OK | W_OK) == 0)
        return std::nullopt;
    // Serial devices normally belong to "dialout"; name the device's own
    // group in case this system does it differently, and none when its
    // members may not use it either (joining "root" is no advice to give).
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP) && st.st_gid != 0;
    if (!groupMayUse)
        return PortAccessProblem{device, ""};
    const struct group* owner = ::getgrgid(st.st_gid);
    return PortAccessProblem{device, owner && owner->gr_name ? owner->gr_name : "dialout"};
}

} // namespace tvqx
