#include "sim/pty/PortLink.h"

#include "platform/PortInventory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>

namespace tvqx::sim {

namespace {

std::string Errno(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

std::string LinkTarget(const std::string& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

} // namespace

bool MakeDirectories(const std::string& directory, std::string& error)
{
    // Each level in turn: the port directory lives in the user's own
    // configuration, which no one else needs to read.
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string level = directory.substr(0, slash);
        if (!level.empty() && ::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
            error = Errno("cannot create " + level);
            return false;
        }
        if (slash == std::string::npos || slash + 1 >= directory.size())
            break;
    }
    struct stat st {};
    if (::stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = directory + " is not a directory";
        return false;
    }
    return true;
}

bool PortLink::Claim(const std::string& directory, int comNumber, const std::string& target,
                     std::string& error, bool& taken)
{
    taken = false;
    if (!MakeDirectories(directory, error))
        return false;

    // The program takes COMn in any case, so "com3" stands in the way of
    // "COM3" just as much.
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (ComPortNumber(name) != comNumber)
                continue;
            const std::string path = directory + name;
            struct stat link {};
            struct stat leads {};
            const bool isLink = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
            if (isLink && ::stat(path.c_str(), &leads) != 0 && errno == ENOENT) {
                ::unlink(path.c_str());   // a dead host's leftover
                continue;
            }
            const std::string to = isLink ? " (leads to " + LinkTarget(path) + ")" : "";
            error = path + to + " already exists: another device or program has COM"
                    + std::to_string(comNumber) + "; stop it or remove the entry";
            taken = true;
            ::closedir(dir);
            return false;
        }
        ::closedir(dir);
    }

    const std::string path = directory + "COM" + std::to_string(comNumber);
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        taken = errno == EEXIST;
        error = Errno("cannot create " + path);
        return false;
    }
    m_path = path;
    m_target = target;
    return true;
}

bool PortLink::Retarget(const std::string& target, std::string& error)
{
    const std::string temp = m_path + ".new." + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), m_path.c_str()) != 0) {
        error = Errno("cannot point " + m_path + " at " + target);
        ::unlink(temp.c_str());
        return false;
    }
    m_target = target;
    return true;
}

void PortLink::Release()
{
    if (m_path.empty())
        return;
    // Someone may have replaced it meanwhile; theirs stays.
    if (LinkTarget(m_path) == m_target)
        ::unlink(m_path.c_str());
    m_path.clear();
    m_target.clear();
}

} // namespace tvqx::sim
