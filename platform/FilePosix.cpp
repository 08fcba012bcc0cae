#include "platform/File.h"

#include <cerrno>
#include <cstdint>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvqx {

namespace {

int RetryClose(int fd)
{
    // On Linux the descriptor is gone even when close reports EINTR; retrying
    // could close somebody else's descriptor.
    const int rc = ::close(fd);
    return (rc == 0 || errno == EINTR) ? 0 : -1;
}

int Descriptor(std::intptr_t native)
{
    return static_cast<int>(native);
}

// The descriptor, or -1 when the name is missing, is not a regular file, is
// a symbolic link where one is refused, or is locked by somebody else (then
// `held` is set).
int OpenWith(const std::string& path, int flags, bool truncate, bool& held)
{
    held = false;
    // A file we may write is never reached through a link: a link planted in
    // a shared temporary directory must not make us empty or fill whatever it
    // points at. Reading follows links, as the firmware files beside the
    // program may well be links into a shared installation.
    const int linkRule = (flags & O_ACCMODE) == O_RDONLY ? 0 : O_NOFOLLOW;
    // O_NONBLOCK only for the open itself: a FIFO or a terminal planted under
    // the name must not hang us before we get to refuse it.
    const int fd = ::open(path.c_str(), flags | linkRule | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return -1;

    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        RetryClose(fd);
        return -1;
    }
    // Every open of ours locks, readers as well as writers, so that no two
    // opens (in this process or another) ever share a file; a held file is
    // refused at once rather than waited for.
    int lockRc;
    do {
        lockRc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (lockRc != 0 && errno == EINTR);
    if (lockRc != 0) {
        held = errno == EWOULDBLOCK;
        RetryClose(fd);
        return -1;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0 ||
        (truncate && ::ftruncate(fd, 0) != 0)) {
        RetryClose(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::optional<File> File::OpenRead(const std::string& path, bool* heldElsewhere)
{
    bool held = false;
    const int fd = OpenWith(path, O_RDONLY, false, held);
    return Opened(fd, held, heldElsewhere);
}

std::optional<File> File::OpenReadWrite(const std::string& path, bool* heldElsewhere)
{
    bool held = false;
    const int fd = OpenWith(path, O_RDWR, false, held);
    return Opened(fd, held, heldElsewhere);
}

std::optional<File> File::Create(const std::string& path, Sharing, bool* heldElsewhere)
{
    // Sharing needs nothing here: the lock is advisory, and readers that take
    // none, as people's viewers do, follow a log as it grows.
    // No O_TRUNC: the content may only go once the lock is ours.
    bool held = false;
    const int fd = OpenWith(path, O_RDWR | O_CREAT, true, held);
    return Opened(fd, held, heldElsewhere);
}

std::ptrdiff_t File::ReadNative(void* buffer, std::size_t count)
{
    for (;;) {
        const ssize_t n = ::read(Descriptor(m_native), buffer, count);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

bool File::WriteNative(const void* data, std::size_t count)
{
    const auto* in = static_cast<const char*>(data);
    while (count > 0) {
        const ssize_t n = ::write(Descriptor(m_native), in, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        in += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::SeekNative(int64_t offset, From from)
{
    const int whence = from == From::Start ? SEEK_SET : from == From::Current ? SEEK_CUR : SEEK_END;
    return ::lseek(Descriptor(m_native), static_cast<off_t>(offset), whence) >= 0;
}

bool File::CloseNative()
{
    return RetryClose(Descriptor(m_native)) == 0;
}

int64_t File::GetLength() const
{
    struct stat st {};
    if (!IsOpen() || ::fstat(Descriptor(m_native), &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

bool File::GetModificationTime(LocalTime& time) const
{
    struct stat st {};
    if (!IsOpen() || ::fstat(Descriptor(m_native), &st) != 0)
        return false;
    const time_t mtime = st.st_mtime;
    struct tm local {};
    // A time stamp can be set to any 64-bit value; years past what an int
    // holds have no date we could show.
    if (::localtime_r(&mtime, &local) == nullptr || local.tm_year > INT32_MAX - 1900)
        return false;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    time.second = local.tm_sec;
    return true;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

} // namespace tvqx
