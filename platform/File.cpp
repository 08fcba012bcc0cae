#include "platform/File.h"

#include <algorithm>
#include <cstring>
#include <utility>

// The reading side of File that is the same on every system: a read buffer
// over the system's file, and the text-mode line reads on top of it.

namespace tvqx {

namespace {

constexpr std::size_t kReadBufferSize = 8192;

} // namespace

File::File(NativeFile native) : m_native(native) {}

std::optional<File> File::Opened(NativeFile native, bool held, bool* heldElsewhere)
{
    if (heldElsewhere)
        *heldElsewhere = native == kNoFile && held;
    return native == kNoFile ? std::nullopt : std::optional<File>(File(native));
}

File::File(File&& other) noexcept
    : m_native(std::exchange(other.m_native, kNoFile)),
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
        m_native = std::exchange(other.m_native, kNoFile);
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

int File::FillBuffer()
{
    if (m_buffer.size() != kReadBufferSize)
        m_buffer.resize(kReadBufferSize);
    m_bufferPos = 0;
    m_bufferLen = 0;
    const std::ptrdiff_t n = ReadNative(m_buffer.data(), m_buffer.size());
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
    return SeekNative(-static_cast<int64_t>(unread), From::Current);
}

std::ptrdiff_t File::Read(void* buffer, std::size_t count)
{
    if (!IsOpen())
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
            const std::ptrdiff_t n = ReadNative(out + done, count - done);
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
    if (!IsOpen() || !DropReadBuffer())
        return false;
    return WriteNative(data, count);
}

bool File::Seek(uint64_t offset)
{
    if (!IsOpen() || offset > static_cast<uint64_t>(INT64_MAX))
        return false;
    m_bufferPos = 0;
    m_bufferLen = 0;
    return SeekNative(static_cast<int64_t>(offset), From::Start);
}

bool File::SeekToEnd()
{
    if (!IsOpen())
        return false;
    m_bufferPos = 0;
    m_bufferLen = 0;
    return SeekNative(0, From::End);
}

bool File::Close()
{
    m_bufferPos = 0;
    m_bufferLen = 0;
    if (!IsOpen())
        return true;
    const bool ok = CloseNative();
    m_native = kNoFile;
    return ok;
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
    if (!IsOpen())
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
    if (!IsOpen() || buffer == nullptr || bufSize == 0)
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

} // namespace tvqx
