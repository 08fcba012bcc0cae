#include "firmware/DescriptionFile.h"
#include "firmware/HexFileCheck.h"

#include <ctime>
#include <gtest/gtest.h>

#include "tests/common/FileTimes.h"
#include "tests/common/ScratchDir.h"

namespace tvqx {
namespace {

using test::ScratchDir;

const std::string kDescription = "description.txt";

TEST(DescriptionFile, ReadsTheFirstTwoLines)
{
    struct Case {
        const char* content;
        bool complete;
        const char* version;
        const char* hexName;
    };
    const Case cases[] = {
        {"", false, "", ""},
        {"V 1.0\n", false, "", ""},
        {"V 1.0\nmain.hex", true, "V 1.0", "main.hex"},
        {" V 1.0 \n main.hex \n", true, " V 1.0 ", " main.hex "},
        {"V 1.0\r\nmain.hex\r\nX\r\n", true, "V 1.0", "main.hex"},
        {"V 1.0\nmain.hex\nlong option line ..............................\nmore\n", true, "V 1.0", "main.hex"},
        {"V 1.0\n\n", true, "V 1.0", ""},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const auto content = ReadDescriptionFile(dir.Write(kDescription, c.content));
        EXPECT_TRUE(content.opened);
        EXPECT_EQ(content.complete, c.complete);
        EXPECT_EQ(content.firmwareVersion, c.version);
        EXPECT_EQ(content.hexFileName, c.hexName);
    }
    auto holder = File::OpenRead(dir.Path(kDescription));
    EXPECT_FALSE(ReadDescriptionFile(dir.Path(kDescription)).opened);
    EXPECT_FALSE(ReadDescriptionFile(dir.Path("missing.txt")).opened);
}

TEST(HexFileCheck, ModificationPart)
{
    const std::pair<LocalTime, const char*> cases[] = {
        {{2011, 3, 5, 14, 7, 9}, "     (3-5-2011,  2:07:09 PM)"},
        {{2011, 12, 3, 0, 30, 15}, "     (12-3-2011,  0:30:15 AM)"},
        {{2011, 1, 1, 12, 0, 0}, "     (1-1-2011, 12:00:00 PM)"},
        {{2011, 1, 1, 9, 5, 7}, "     (1-1-2011,  9:05:07 AM)"},
        {{2024, 2, 29, 23, 10, 40}, "     (2-29-2024, 11:10:40 PM)"},
    };
    for (const auto& [time, expected] : cases)
        EXPECT_EQ(FormatModificationPart(time), expected);
}

TEST(HexFileCheck, OpensWithSharingDeniedAndTakesTheLocalModificationTime)
{
    ScratchDir dir;
    const auto path = dir.Write("main.hex", "not even HEX");
    std::tm local{};
    local.tm_year = 111, local.tm_mon = 2, local.tm_mday = 5, local.tm_isdst = -1;
    local.tm_hour = 14, local.tm_min = 7, local.tm_sec = 9;
    const time_t when = std::mktime(&local);
    ASSERT_TRUE(test::SetModificationTime(path, when));
    EXPECT_EQ(CheckHexFileAt(path).modificationPart, "     (3-5-2011,  2:07:09 PM)");

    auto holder = File::OpenRead(path);
    EXPECT_FALSE(CheckHexFileAt(path).opened);
    // An empty HEX name leaves only the directory, which is no file.
    EXPECT_FALSE(CheckHexFileAt(dir.Path("")).opened);
}

} // namespace
} // namespace tvqx
