#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvqx {

namespace {

constexpr std::size_t kReadBufferSize = 8192;

int RetryClose(int fd)
{
    // On Linux the descriptor is gone even when close reports EINTR; retrying
    // could close somebody else's descriptor.
    const int rc = ::close(fd);
    return (rc == 0 || errno == EINTR) ? 0 : -1;
}

ssize_t ReadRetrying(int fd, void* buffer, std::size_t count)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, count);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace

File::File(int fd) : m_fd(fd) {}

File::File(File&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_readError(other.m_readError),
      m_buffer(std::move(other.m_buffer)),
      m_bufferPos(std::exchange(other.m_bufferPos, 0)),
      m_bufferLen(std::exchange(other.m_bufferLen, 0))
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_readError = other.m_readError;
        m_buffer = std::move(other.m_buffer);
        m_bufferPos = std::exchange(other.m_bufferPos, 0);
        m_bufferLen = std::exchange(other.m_bufferLen, 0);
    }
    return *this;
}

File::~File()
{
    Close();
}

std::optional<File> File::OpenWith(const std::string& path, int flags, bool truncate)
{
    // O_NONBLOCK only for the open itself: a FIFO or a terminal planted under
    // the name must not hang us before we get to refuse it.
    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return std::nullopt;

    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        RetryClose(fd);
        return std::nullopt;
    }
    int lockRc;
    do {
        lockRc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (lockRc != 0 && errno == EINTR);
    if (lockRc != 0) {
        RetryClose(fd);
        return std::nullopt;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0 ||
        (truncate && ::ftruncate(fd, 0) != 0)) {
        RetryClose(fd);
        return std::nullopt;
    }
    return File(fd);
}

std::optional<File> File::OpenRead(const std::string& path)
{
    return OpenWith(path, O_RDONLY, false);
}

std::optional<File> File::OpenReadWrite(const std::string& path)
{
    return OpenWith(path, O_RDWR, false);
}

std::optional<File> File::Create(const std::string& path)
{
    // No O_TRUNC: the content may only go once the lock is ours.
    return OpenWith(path, O_RDWR | O_CREAT, true);
}

int File::FillBuffer()
{
    if (m_buffer.size() != kReadBufferSize)
        m_buffer.resize(kReadBufferSize);
    m_bufferPos = 0;
    m_bufferLen = 0;
    const ssize_t n = ReadRetrying(m_fd, m_buffer.data(), m_buffer.size());
    if (n < 0) {
        m_readError = true;
        return -1;
    }
    m_bufferLen = static_cast<std::size_t>(n);
    return n > 0 ? 1 : 0;
}

int File::GetChar()
{
    if (m_bufferPos == m_bufferLen && FillBuffer() <= 0)
        return -1;
    return static_cast<unsigned char>(m_buffer[m_bufferPos++]);
}

int File::PeekChar()
{
    if (m_bufferPos == m_bufferLen && FillBuffer() <= 0)
        return -1;
    return static_cast<unsigned char>(m_buffer[m_bufferPos]);
}

bool File::DropReadBuffer()
{
    const std::size_t unread = m_bufferLen - m_bufferPos;
    m_bufferPos = 0;
    m_bufferLen = 0;
    if (unread == 0)
        return true;
    return ::lseek(m_fd, -static_cast<off_t>(unread), SEEK_CUR) >= 0;
}

std::ptrdiff_t File::Read(void* buffer, std::size_t count)
{
    if (m_fd < 0)
        return -1;
    m_readError = false;
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        if (m_bufferPos < m_bufferLen) {
            const std::size_t take = std::min(count - done, m_bufferLen - m_bufferPos);
            std::memcpy(out + done, m_buffer.data() + m_bufferPos, take);
            m_bufferPos += take;
            done += take;
            continue;
        }
        if (count - done >= kReadBufferSize) {
            // Large reads go straight into the caller's memory.
            const ssize_t n = ReadRetrying(m_fd, out + done, count - done);
            if (n < 0)
                return done > 0 ? static_cast<std::ptrdiff_t>(done) : -1;
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
            continue;
        }
        const int filled = FillBuffer();
        if (filled < 0)
            return done > 0 ? static_cast<std::ptrdiff_t>(done) : -1;
        if (filled == 0)
            break;
    }
    return static_cast<std::ptrdiff_t>(done);
}

bool File::Write(const void* data, std::size_t count)
{
    if (m_fd < 0 || !DropReadBuffer())
        return false;
    const auto* in = static_cast<const char*>(data);
    while (count > 0) {
        const ssize_t n = ::write(m_fd, in, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        in += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::Seek(uint64_t offset)
{
    if (m_fd < 0 || offset > static_cast<uint64_t>(INT64_MAX))
        return false;
    m_bufferPos = 0;
    m_bufferLen = 0;
    return ::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool File::SeekToEnd()
{
    if (m_fd < 0)
        return false;
    m_bufferPos = 0;
    m_bufferLen = 0;
    return ::lseek(m_fd, 0, SEEK_END) >= 0;
}

int64_t File::GetLength() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return -1;
    return static_cast<int64_t>(st.st_size);
}

bool File::Close()
{
    m_bufferPos = 0;
    m_bufferLen = 0;
    if (m_fd < 0)
        return true;
    const int rc = RetryClose(m_fd);
    m_fd = -1;
    return rc == 0;
}

std::size_t File::TakeRun(std::size_t limit)
{
    // Plain characters up to the next CR or LF, straight from the buffer.
    const char* start = m_buffer.data() + m_bufferPos;
    const std::size_t avail = std::min(limit, m_bufferLen - m_bufferPos);
    std::size_t run = 0;
    while (run < avail && start[run] != '\n' && start[run] != '\r')
        ++run;
    m_bufferPos += run;
    return run;
}

int File::TakeLineEndOrCr()
{
    int c = GetChar();
    if (c == '\r' && PeekChar() == '\n')
        c = GetChar();
    return c;
}

bool File::ReadString(std::string& line)
{
    line.clear();
    if (m_fd < 0)
        return false;
    m_readError = false;
    bool any = false;
    for (;;) {
        if (m_bufferPos == m_bufferLen && FillBuffer() <= 0)
            break;
        any = true;
        const char* start = m_buffer.data() + m_bufferPos;
        line.append(start, TakeRun(SIZE_MAX));
        if (m_bufferPos == m_bufferLen)
            continue;
        const int c = TakeLineEndOrCr();
        if (c == '\n')
            return true;
        line.push_back(static_cast<char>(c));
    }
    return any && !m_readError;
}

bool File::ReadString(char* buffer, std::size_t bufSize)
{
    if (m_fd < 0 || buffer == nullptr || bufSize == 0)
        return false;
    m_readError = false;
    std::size_t n = 0;
    while (n + 1 < bufSize) {
        if (m_bufferPos == m_bufferLen && FillBuffer() <= 0)
            break;
        const char* start = m_buffer.data() + m_bufferPos;
        const std::size_t run = TakeRun(bufSize - 1 - n);
        std::memcpy(buffer + n, start, run);
        n += run;
        if (n + 1 == bufSize || m_bufferPos == m_bufferLen)
            continue;
        const int c = TakeLineEndOrCr();
        buffer[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    buffer[n] = '\0';
    return n > 0 && !m_readError;
}

bool File::GetModificationTime(LocalTime& time) const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return false;
    const time_t mtime = st.st_mtime;
    struct tm local {};
    if (::localtime_r(&mtime, &local) == nullptr)
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
