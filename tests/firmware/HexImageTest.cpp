#include "firmware/HexImage.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "tests/common/ScratchDir.h"

namespace tvqx {
namespace {

using test::ReadAll;
using test::ScratchDir;

// A data record of `count` bytes first, first+1, ... with a correct checksum.
std::string Data(int address, int count, int first = 0)
{
    std::vector<int> bytes{count, address >> 8, address & 0xFF, 0};
    for (int i = 0; i < count; ++i)
        bytes.push_back((first + i) & 0xFF);
    std::string line = ":";
    int sum = 0;
    char text[4];
    for (int b : bytes)
        sum += b, std::snprintf(text, sizeof text, "%02X", b), line += text;
    std::snprintf(text, sizeof text, "%02X", (256 - sum % 256) % 256);
    return line + text + "\n";
}

const std::string kImageFileName = "Hex.tmp";
const std::string kEnd = ":00000001FF\n";

TEST(HexImage, ValidFiles)
{
    struct Case {
        const char* name;
        std::string hex;
        std::size_t length;
        std::vector<std::pair<std::size_t, uint8_t>> bytes;
    };
    const Case cases[] = {
        {"end record only", kEnd, 256, {{0, 0xFF}, {255, 0xFF}}},
        {"16 bytes at 0", Data(0, 16, 0x10) + kEnd, 256, {{0, 0x10}, {15, 0x1F}, {16, 0xFF}}},
        {"highest 0x01FF", Data(0x1FF, 1, 0x42) + kEnd, 512, {{0x1FF, 0x42}, {0x1FE, 0xFF}}},
        {"data at 0x0200", Data(0x200, 1, 0x42) + kEnd, 768, {{0x200, 0x42}, {0x201, 0xFF}}},
        {"two runs", Data(0, 16) + Data(0x1000, 16, 0x80) + kEnd, 0x1100,
         {{0x0F, 0x0F}, {0x10, 0xFF}, {0x0FFF, 0xFF}, {0x1000, 0x80}, {0x10FF, 0xFF}}},
        {"out of order, overwrite", Data(0x300, 2, 1) + Data(0x10, 2, 3) + Data(0x301, 1, 9) + kEnd, 1024,
         {{0x300, 1}, {0x301, 9}, {0x10, 3}, {0x11, 4}, {0x302, 0xFF}}},
        {"segment records skipped", ":020000021000EC\n:0400000300001000E9\n" + Data(0, 1, 0x55) + kEnd, 256,
         {{0, 0x55}}},
        {"lower case", ":0400100001AbCdEf84\n:00000001ff\n", 256, {{0x10, 0x01}, {0x11, 0xAB}, {0x13, 0xEF}}},
        {"CR LF, text after the checksum", ":010000007788  ; x\r\n:00000001FF\r\n", 256, {{0, 0x77}}},
        {"93-byte record fits the line buffer", Data(0x100, 93, 1) + kEnd, 512, {{0x100, 1}, {0x15C, 93}}},
        {"end checksum unchecked, nothing after it read", Data(0, 1, 7) + ":00000001AA\n\nrubbish\n:00000004FC\n",
         256, {{0, 7}}},
        {"data ending at 0xFFFF", Data(0xFFFE, 2, 0xA) + kEnd, 65536, {{0xFFFE, 0xA}, {0xFFFF, 0xB}}},
    };
    ScratchDir dir;
    const auto image = dir.Path(kImageFileName);
    dir.Write(kImageFileName, std::string(1024, 'x'));   // an older image is emptied first
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ConvertHexFileToImage(dir.Write("main.hex", c.hex), image), ConvertResult::Ok);
        const auto bytes = ReadAll(image);
        ASSERT_EQ(bytes.size(), c.length);
        for (const auto& [offset, value] : c.bytes)
            EXPECT_EQ(static_cast<uint8_t>(bytes[offset]), value) << "offset " << offset;
    }
}

TEST(HexImage, InvalidFilesLeaveNoImage)
{
    const std::string data = Data(0, 3);
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"no end record", data},
        {"blank line between records", data + "\n" + kEnd},
        {"line without colon", data + "0000000100\n" + kEnd},
        {"type 04", data + ":020000040000FA\n" + kEnd},
        {"checksum off by one", ":010000007789\n" + kEnd},
        {"94-byte record split by the line buffer", Data(0, 94) + kEnd},
        {"blank in a field", ": 10000007788\n" + kEnd},
        {"checksum missing", ":0100000077\n" + kEnd},
        {"data past 0xFFFF", Data(0xFFFF, 2) + kEnd},
    };
    ScratchDir dir;
    const auto image = dir.Path(kImageFileName);
    for (const auto& [name, hex] : cases) {
        SCOPED_TRACE(name);
        dir.Write(kImageFileName, "old");
        EXPECT_EQ(ConvertHexFileToImage(dir.Write("main.hex", hex), image), ConvertResult::InvalidHex);
        EXPECT_FALSE(FileExists(image));
    }
    EXPECT_EQ(ConvertHexFileToImage(dir.Path("missing.hex"), image), ConvertResult::CannotOpenHex);
    EXPECT_FALSE(FileExists(image));
    auto heldHex = File::OpenRead(dir.Write("main.hex", kEnd));
    EXPECT_EQ(ConvertHexFileToImage(dir.Path("main.hex"), image), ConvertResult::CannotOpenHex);
    EXPECT_FALSE(FileExists(image));
}

TEST(HexImage, ImageThatCannotBeCreatedIsLeftAlone)
{
    ScratchDir dir;
    const auto hex = dir.Write("main.hex", kEnd);
    const auto image = dir.Path(kImageFileName);
    {
        auto holder = File::OpenRead(dir.Write(kImageFileName, "held elsewhere"));
        EXPECT_EQ(ConvertHexFileToImage(hex, image), ConvertResult::CannotCreateImage);
    }
    // Looked at once the hold is gone: where sharing denied is mandatory
    // (Windows) nobody may read the file meanwhile.
    EXPECT_EQ(ReadAll(image), "held elsewhere");
    // A link planted under the image's name, to a file or to nowhere.
    for (const auto& target : {dir.Write("victim", "precious"), dir.Path("nowhere")}) {
        RemoveFile(image);
        if (!test::PlantSymlink(target, image))
            GTEST_SKIP() << test::kNoSymlinksHere;
        EXPECT_EQ(ConvertHexFileToImage(hex, image), ConvertResult::CannotCreateImage);
        DeleteImageFile(image);   // the link goes, never what it points at
        EXPECT_FALSE(FileExists(image));
    }
    EXPECT_EQ(ReadAll(dir.Path("victim")), "precious");
    EXPECT_FALSE(FileExists(dir.Path("nowhere")));
}

#ifndef _WIN32
// Windows has no file size limit to stand in for a full disk.
TEST(HexImage, FailedImageWriteLeavesNoImage)
{
    // A file size limit makes the write fail the way a full disk does.
    ScratchDir dir;
    const auto hex = dir.Write("main.hex", Data(0x2000, 1) + kEnd);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small{1000, saved.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = ConvertHexFileToImage(hex, dir.Path(kImageFileName));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, ConvertResult::CannotCreateImage);
    EXPECT_FALSE(FileExists(dir.Path(kImageFileName)));
}
#endif

} // namespace
} // namespace tvqx
