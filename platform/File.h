#pragma once
// A plain file, opened the way the firmware files need: with sharing denied
// (a log excepted), and only when the name is a regular file. An open that
// may write never goes through a symbolic link; a read-only open follows
// links. Line reads work in text mode (a CR directly before an LF belongs to
// the line end).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvqx {

struct LocalTime {
    int year;    // four digits
    int month;   // 1 to 12
    int day;     // 1 to 31
    int hour;    // 0 to 23
    int minute;
    int second;
};

class File {
public:
    // Every open below that fails sets `*heldElsewhere` (when given) to
    // whether the file was held open by somebody else (another program, or
    // another File of this one), which tells a busy file from a missing or
    // broken one; a later look could not, as the holder may have let go.
    //
    // Reading only, through symbolic links. Fails when the file is missing,
    // is not a regular file, or is held open with sharing denied elsewhere
    // (this process included).
    static std::optional<File> OpenRead(const std::string& path, bool* heldElsewhere = nullptr);
    // Reading and writing; the file must exist. Same refusals as OpenRead,
    // and the name must not be a symbolic link.
    static std::optional<File> OpenReadWrite(const std::string& path, bool* heldElsewhere = nullptr);
    // Reading and writing, created when missing, emptied when present; the
    // name must not be a symbolic link, dangling or not. The content is only
    // cut once the file is ours, so a file held elsewhere keeps its content.
    // With Sharing::Readers (a log that people follow while it grows), other
    // programs may read the file meanwhile: on Windows, where sharing is
    // enforced; POSIX readers that take no lock always may.
    enum class Sharing { None, Readers };
    static std::optional<File> Create(const std::string& path, Sharing sharing = Sharing::None,
                                      bool* heldElsewhere = nullptr);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool IsOpen() const { return m_native != kNoFile; }

    // Number of bytes read (fewer only at the end of the file), -1 on error.
    std::ptrdiff_t Read(void* buffer, std::size_t count);
    // All of it or false.
    bool Write(const void* data, std::size_t count);
    bool Seek(uint64_t offset);
    bool SeekToEnd();
    // -1 on error.
    int64_t GetLength() const;
    // False when the system reports an error on closing (data may be lost).
    bool Close();

    // One whole line without its line end. False only at the end of the file
    // with nothing read (or on a read error).
    bool ReadString(std::string& line);
    // At most bufSize - 1 characters, stopping after a line end, which stays
    // in the buffer as a single '\n'; always terminated. False at the end of
    // the file with nothing read (or on a read error).
    bool ReadString(char* buffer, std::size_t bufSize);

    // Last modification, in local time.
    bool GetModificationTime(LocalTime& time) const;

private:
    // The system's own file: a descriptor on POSIX, a HANDLE on Windows;
    // -1 is "none" on both.
    using NativeFile = std::intptr_t;
    static constexpr NativeFile kNoFile = -1;
    enum class From { Start, Current, End };

    explicit File(NativeFile native);
    // What each system's open gives: the file, or kNoFile and whether that
    // was because somebody else held it.
    static std::optional<File> Opened(NativeFile native, bool held, bool* heldElsewhere);

    // What each system provides; the buffered reading is shared.
    // Bytes read, 0 at the end of the file, -1 on error.
    std::ptrdiff_t ReadNative(void* buffer, std::size_t count);
    bool WriteNative(const void* data, std::size_t count);
    bool SeekNative(int64_t offset, From from);
    bool CloseNative();

    // Next character of the read buffer, or -1 at the end / on error.
    int GetChar();
    int PeekChar();
    // Moves the read position past the plain characters (no CR or LF, at
    // most `limit`) there and returns how many; the caller copies them from
    // where the position was.
    std::size_t TakeRun(std::size_t limit);
    // A CR LF pair as one '\n', otherwise the next character.
    int TakeLineEndOrCr();
    // 1 when it holds new data, 0 at the end of the file, -1 on error.
    int FillBuffer();
    // Puts the descriptor's position back where the reader stands, so that a
    // write or seek after buffered reads lands where the caller expects.
    bool DropReadBuffer();

    NativeFile m_native = kNoFile;
    bool m_readError = false;
    std::vector<char> m_buffer;
    std::size_t m_bufferPos = 0;
    std::size_t m_bufferLen = 0;
};

// True when anything is there under this name, a dangling symbolic link included.
bool FileExists(const std::string& path);
// Removes the name; a symbolic link is removed itself, never its target.
bool RemoveFile(const std::string& path);

} // namespace tvqx
