// A HEX file's time stamp is whatever somebody set it to. Years beyond what
// the date line can hold must leave the date out, not break the check.

#include "firmware/HexFileCheck.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <cstdint>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvqx {
namespace {

constexpr int64_t kSecondsPerYear = 31556952;

TEST(HexFileCheck, TimeStampsFarFromOurs)
{
    // A memory file system keeps any 64-bit time; disk file systems clamp it.
    if (::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no /dev/shm";
    const std::string path = "/dev/shm/tvqx-time-range-" + std::to_string(::getpid()) + ".hex";
    std::ofstream(path) << ":00000001FF\r\n";
    struct Remove {
        const std::string& path;
        ~Remove() { ::unlink(path.c_str()); }
    } remove{path};

    struct Case {
        const char* what;
        int64_t seconds;
        bool datePart;
    };
    const Case cases[] = {
        {"2011", 1299334029, true},
        // The C library still gives a date, but its year plus 1900 is past
        // the largest int.
        {"a thousand years past the largest int", (int64_t{2147483647} - 1970 + 1000) * kSecondsPerYear, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const struct timespec times[2] = {{0, 0}, {static_cast<time_t>(c.seconds), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        if (st.st_mtime != c.seconds)
            GTEST_SKIP() << "/dev/shm does not keep this time";

        const HexCheckResult result = CheckHexFileAt(path);
        EXPECT_TRUE(result.opened);
        EXPECT_EQ(!result.modificationPart.empty(), c.datePart) << result.modificationPart;
    }
}

} // namespace
} // namespace tvqx
#endif
