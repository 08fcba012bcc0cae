// The HEX file check reads no content, but it does read the file's
// modification time, which anybody can set to anything. The input gives it:
// a mode byte, then eight bytes that are the time in seconds since 1970 (any
// 64-bit value, negative included) or, for an odd mode byte, the years since
// 1970, and four more bytes for the seconds into that year (or the
// nanoseconds). The line shown for it must keep its form whatever the time.

#include "firmware/HexFileCheck.h"
#include "fuzz/FuzzSupport.h"

#include <cctype>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>

using namespace tvqx;

namespace {

// "     (" month '-' day '-' year ", " hour ':' MM ':' SS ' ' AM/PM ')'.
bool WellFormed(const std::string& s)
{
    size_t i = 0;
    auto literal = [&](const char* text) {
        const size_t n = std::strlen(text);
        if (s.compare(i, n, text) != 0)
            return false;
        i += n;
        return true;
    };
    auto number = [&](long lo, long hi, size_t width) {
        size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (i == start || i - start > 10 || (width && i - start != width))
            return false;
        const long v = std::stol(s.substr(start, i - start));
        return v >= lo && v <= hi;
    };
    // Years far from ours are shown as the number they are, sign and all.
    auto year = [&] {
        if (i < s.size() && s[i] == '-')
            ++i;
        return number(0, 2147483647L + 1900, 0);
    };
    auto hour = [&] {
        if (i < s.size() && s[i] == ' ')
            ++i;   // the hour's leading blank
        return number(0, 12, 0);
    };
    return literal("     (") && number(1, 12, 0) && literal("-") && number(1, 31, 0) && literal("-") && year() &&
           literal(", ") && hour() && literal(":") && number(0, 59, 2) && literal(":") &&
           number(0, 60, 2) && literal(" ") && (literal("AM)") || literal("PM)")) && i == s.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::ScratchDirectory() + "firmware.hex";
    if (size < 13)
        return 0;
    int64_t seconds = 0;
    uint32_t extra = 0;
    std::memcpy(&seconds, data + 1, sizeof seconds);
    std::memcpy(&extra, data + 9, sizeof extra);
    long nanos = static_cast<long>(extra % 1000000000u);
    if (data[0] & 1) {
        constexpr int64_t kSecondsPerYear = 31556952;   // 365.2425 days
        if (__builtin_mul_overflow(seconds, kSecondsPerYear, &seconds))
            return 0;
        if (__builtin_add_overflow(seconds, int64_t{extra % kSecondsPerYear}, &seconds))
            return 0;
        nanos = 0;
    }
    fuzz::WriteBytes(path, data + 13, size - 13);
    const struct timespec times[2] = {{0, 0}, {static_cast<time_t>(seconds), nanos}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        return 0;   // a time this file system cannot hold

    HexCheckResult result = CheckHexFileAt(path);
    if (!result.opened)   // once refused by a busy system, as the description file's target
        result = CheckHexFileAt(path);
    FUZZ_CHECK(result.opened);
    // A time that has no calendar date here may leave the part out; any
    // part that is shown has the form a user knows.
    FUZZ_CHECK(result.modificationPart.empty() || WellFormed(result.modificationPart));
    return 0;
}
