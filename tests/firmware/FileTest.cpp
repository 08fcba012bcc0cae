#include "platform/File.h"

#include <gtest/gtest.h>

#include "tests/common/ScratchDir.h"

namespace tvqx {
namespace {

using test::ScratchDir;

TEST(File, WriteAfterBufferedReadLandsAtTheReadPosition)
{
    ScratchDir dir;
    auto f = File::OpenReadWrite(dir.Write("f", "abcdef"));
    char two[2];
    ASSERT_EQ(f->Read(two, 2), 2);
    ASSERT_TRUE(f->Write("XY", 2));
    ASSERT_TRUE(f->SeekToEnd() && f->Write("!", 1) && f->Seek(0));
    char all[16];
    ASSERT_EQ(f->Read(all, sizeof all), 7);
    EXPECT_EQ(std::string(all, 7), "abXYef!");
}

TEST(File, LineReadsInTextMode)
{
    ScratchDir dir;
    auto f = File::OpenRead(dir.Write("t", "one\r\ntwo\rx\n\nabcdefgh\r\nlast"));
    std::string line;
    std::vector<std::string> lines;
    while (f->ReadString(line))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two\rx", "", "abcdefgh", "last"}));

    // Pieces of at most 5 characters; a CR LF counts as one '\n'.
    ASSERT_TRUE(f->Seek(0));
    char buf[6];
    std::vector<std::string> pieces;
    while (f->ReadString(buf, sizeof buf))
        pieces.push_back(buf);
    EXPECT_EQ(pieces, (std::vector<std::string>{"one\n", "two\rx", "\n", "\n", "abcde", "fgh\n", "last"}));
}

} // namespace
} // namespace tvqx
