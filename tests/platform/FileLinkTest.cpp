// Files reached through symbolic links, and telling whether a file is held
// by somebody else.

#include "platform/File.h"
#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace tvqx {
namespace {

using test::ReadAll;

class FileThroughLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch.MakeDir("shared");
        target = scratch.Write("shared/firmware.hex", "original");
        if (!test::PlantSymlink(target, scratch.Path("link")))
            GTEST_SKIP() << test::kNoSymlinksHere;
    }

    test::ScratchDir scratch{"tvqx-file-link"};
    std::string target;
};

TEST_F(FileThroughLink, ReadingFollowsItAndHoldsTheFileItself)
{
    auto viaLink = File::OpenRead(scratch.Path("link"));
    ASSERT_TRUE(viaLink);
    std::string line;
    ASSERT_TRUE(viaLink->ReadString(line));
    EXPECT_EQ(line, "original");
    // The hold is on the file, whatever name it was reached by.
    bool held = false;
    EXPECT_FALSE(File::OpenRead(target, &held));
    EXPECT_TRUE(held);
    viaLink->Close();
    EXPECT_TRUE(File::OpenRead(target));
}

TEST_F(FileThroughLink, WritingRefusesItAndLeavesTheTargetAlone)
{
    EXPECT_FALSE(File::OpenReadWrite(scratch.Path("link")));
    EXPECT_FALSE(File::Create(scratch.Path("link")));
    EXPECT_EQ(ReadAll(target), "original");

    // A dangling link is not created through either.
    ASSERT_TRUE(test::PlantSymlink(scratch.Path("nowhere"), scratch.Path("dangling")));
    EXPECT_FALSE(File::Create(scratch.Path("dangling")));
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("nowhere")));
}

// A file held by one open refuses every other open until it is let go of,
// and says why an open failed, as the console tells a busy page image from a
// broken one.
TEST(FileOpenRefused, TellsAHeldFileFromAMissingOne)
{
    test::ScratchDir scratch{"tvqx-file-held"};
    const std::string path = scratch.Write("Hex.tmp", "image");
    std::optional<File> opened = File::OpenReadWrite(path);
    ASSERT_TRUE(opened);
    std::optional<File> holder(std::move(*opened));   // the hold goes with the object
    opened.reset();

    using Open = std::optional<File> (*)(const std::string&, bool*);
    struct Attempt {
        const char* what;
        Open open;
        std::string path;
        bool held;
    };
    const Attempt attempts[] = {
        {"create while held", [](const std::string& p, bool* h) { return File::Create(p, File::Sharing::None, h); },
         path, true},
        {"missing", &File::OpenRead, scratch.Path("missing"), false},
        {"read while held", &File::OpenRead, path, true},
        {"a directory", &File::OpenReadWrite, scratch.Root(), false},
        {"read-write while held", &File::OpenReadWrite, path, true},
    };
    for (const Attempt& a : attempts) {
        bool held = !a.held;
        EXPECT_FALSE(a.open(a.path, &held)) << a.what;
        EXPECT_EQ(held, a.held) << a.what;
    }
    holder.reset();
    EXPECT_EQ(ReadAll(path), "image");   // the refused create cut nothing
    EXPECT_TRUE(File::OpenReadWrite(path));
}

} // namespace
} // namespace tvqx
