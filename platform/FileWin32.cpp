#include "platform/File.h"
#include "platform/PathText.h"

#include "platform/Win32Api.h"

#include <algorithm>

namespace tvqx {

namespace {

HANDLE Handle(std::intptr_t native)
{
    return reinterpret_cast<HANDLE>(native);
}

// Only a plain file on a disk is ours to use: not a directory, not a device
// (COM1, NUL, a pipe), and, where links are refused, not a symbolic link or
// junction, which the open then does not follow but opens as itself.
bool IsPlainFile(HANDLE h, bool linksRefused)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info))
        return false;
    const DWORD refused = FILE_ATTRIBUTE_DIRECTORY | (linksRefused ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    return (info.dwFileAttributes & refused) == 0;
}

// The handle as File keeps it, or -1 when the name cannot be used: missing,
// not a plain file, or open elsewhere (sharing is denied both ways unless
// `share` allows readers, so this process counts as elsewhere too).
std::intptr_t OpenWith(const std::string& path, DWORD access, DWORD disposition, bool truncate, bool& held,
                       DWORD share)
{
    held = false;
    // A file we may write is never reached through a link: a link or junction
    // planted under the name is opened itself (FILE_FLAG_OPEN_REPARSE_POINT)
    // and then refused, and a dangling one is not created through. Reading
    // follows links, as the firmware files beside the program may be links
    // into a shared installation.
    const bool linksRefused = (access & GENERIC_WRITE) != 0;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (linksRefused ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE h = ::CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        held = ::GetLastError() == ERROR_SHARING_VIOLATION;
        return -1;
    }
    // The content goes only once the file is known to be ours and plain.
    if (!IsPlainFile(h, linksRefused) || (truncate && !::SetEndOfFile(h))) {
        ::CloseHandle(h);
        return -1;
    }
    return reinterpret_cast<std::intptr_t>(h);
}

} // namespace

std::optional<File> File::OpenRead(const std::string& path, bool* heldElsewhere)
{
    bool held = false;
    const std::intptr_t h = OpenWith(path, GENERIC_READ, OPEN_EXISTING, false, held, 0);
    return Opened(h, held, heldElsewhere);
}

std::optional<File> File::OpenReadWrite(const std::string& path, bool* heldElsewhere)
{
    bool held = false;
    const std::intptr_t h = OpenWith(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, false, held, 0);
    return Opened(h, held, heldElsewhere);
}

std::optional<File> File::Create(const std::string& path, Sharing sharing, bool* heldElsewhere)
{
    // OPEN_ALWAYS, not CREATE_ALWAYS: emptying waits for the checks above.
    bool held = false;
    const DWORD share = sharing == Sharing::Readers ? FILE_SHARE_READ : 0;
    const std::intptr_t h = OpenWith(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, true, held, share);
    return Opened(h, held, heldElsewhere);
}

std::ptrdiff_t File::ReadNative(void* buffer, std::size_t count)
{
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(Handle(m_native), buffer, ask, &got, nullptr))
        return -1;
    return static_cast<std::ptrdiff_t>(got);
}

bool File::WriteNative(const void* data, std::size_t count)
{
    const auto* in = static_cast<const char*>(data);
    while (count > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(Handle(m_native), in, chunk, &written, nullptr) || written == 0)
            return false;
        in += written;
        count -= written;
    }
    return true;
}

bool File::SeekNative(int64_t offset, From from)
{
    const DWORD method = from == From::Start ? FILE_BEGIN : from == From::Current ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER distance {};
    distance.QuadPart = offset;
    return ::SetFilePointerEx(Handle(m_native), distance, nullptr, method) != 0;
}

bool File::CloseNative()
{
    return ::CloseHandle(Handle(m_native)) != 0;
}

int64_t File::GetLength() const
{
    LARGE_INTEGER size {};
    if (!IsOpen() || !::GetFileSizeEx(Handle(m_native), &size))
        return -1;
    return size.QuadPart;
}

bool File::GetModificationTime(LocalTime& time) const
{
    FILETIME written {};
    SYSTEMTIME utc {};
    SYSTEMTIME local {};
    if (!IsOpen() || !::GetFileTime(Handle(m_native), nullptr, nullptr, &written) ||
        !::FileTimeToSystemTime(&written, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    time.year = local.wYear;
    time.month = local.wMonth;
    time.day = local.wDay;
    time.hour = local.wHour;
    time.minute = local.wMinute;
    time.second = local.wSecond;
    return true;
}

bool FileExists(const std::string& path)
{
    // The attributes of a link are its own, so a dangling one exists too.
    return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveFile(const std::string& path)
{
    const std::wstring wide = Widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // A directory link or junction goes the way of a directory, which
    // removes the link and leaves its target alone.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ::RemoveDirectoryW(wide.c_str()) != 0;
    return ::DeleteFileW(wide.c_str()) != 0;
}

} // namespace tvqx
