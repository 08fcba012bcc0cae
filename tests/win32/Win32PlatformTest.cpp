// The Windows platform services that need no device: directories, the
// refusals of File, and the shell.

#include "platform/Directories.h"
#include "platform/File.h"
#include "platform/PathText.h"
#include "platform/Win32Profile.h"
#include "platform/Win32ShellOpen.h"
#include "tests/common/ScratchDir.h"

#include "tests/win32/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tvqx::win32test {
namespace {

TEST(Win32Directories, TempDirectoryIsTheLongFormOrCDrive)
{
    const std::string temp = UserTempDirectory();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_EQ(temp.find('~'), std::string::npos) << "a short 8.3 name is left: " << temp;

    const std::pair<const char*, const char*> fallbacks[] = {
        {"C:\\no such directory here\\", "a missing directory"},
        {"", "an empty path (the system's own call failed)"},
        {"C:\\", nullptr},
    };
    for (const auto& [path, why] : fallbacks)
        EXPECT_EQ(LongTempDirectory(path), "C:\\") << (why ? why : path);
    EXPECT_EQ(LongTempDirectory(temp), temp);

    // A folder in Greek as it is, its 260-character limit counted in
    // characters: far below it, though its UTF-8 runs past 260 bytes (two
    // names of at most 255 bytes, for Wine's disk).
    test::ScratchDir scratch("tvqx-win32");
    std::string greek = scratch.Root();
    std::replace(greek.begin(), greek.end(), '/', '\\');
    for (int i = 0; i < 130; ++i)
        greek += i == 65 ? "\\\u03a9" : "\u03a9";
    greek += "\\";
    ASSERT_TRUE(std::filesystem::create_directories(Widen(greek)) && greek.size() > 260);
    EXPECT_EQ(LongTempDirectory(greek), greek);
}

TEST(Win32Directories, ProgramDirectoryAndNameComeFromThisProgram)
{
    const std::string dir = ExecutableDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_TRUE(std::filesystem::exists(dir + ProgramFileTitle() + ".exe")) << dir;
    EXPECT_EQ(ProgramFileTitle(), "tvqx_win32_tests");
}

TEST(Win32File, OnlyPlainFilesOnADiskAreOpened)
{
    test::ScratchDir dir("tvqx-win32");
    const std::string folder = dir.MakeDir("folder");
    const std::pair<std::string, const char*> refused[] = {
        {"NUL", "a device"},
        {"\\\\.\\NUL", "a device by its device path"},
        {folder, "a directory"},
        {dir.Path("missing.txt"), "a missing file"},
    };
    for (const auto& [path, what] : refused) {
        EXPECT_FALSE(File::OpenRead(path)) << what;
        EXPECT_FALSE(File::OpenReadWrite(path)) << what;
    }
    EXPECT_FALSE(File::Create("NUL"));
    EXPECT_FALSE(File::Create(folder));
}

// A description file written in the system's code page names its HEX file
// in it: such a name is not UTF-8, and is found as it was meant.
TEST(Win32File, NameInTheSystemCodePageIsFound)
{
    const wchar_t name[] = L"Zo\u00eb.hex";
    char ansi[32] = {};
    BOOL lost = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, &lost);
    if (n == 0 || lost || std::string(ansi) == "Zo\u00eb.hex")
        GTEST_SKIP() << "the system's code page is UTF-8 or has no \u00eb";
    test::ScratchDir dir("tvqx-win32");
    ASSERT_TRUE(File::Create(dir.Path("Zo\u00eb.hex")));
    EXPECT_TRUE(FileExists(dir.Path(ansi)));
    EXPECT_TRUE(File::OpenRead(dir.Path(ansi)));
}

TEST(Win32ShellOpen, TargetWithoutAProgramIsReportedAsNotOpened)
{
    Win32ShellOpen shell;
    test::ScratchDir dir("tvqx-win32");
    EXPECT_FALSE(shell.Open(dir.Path("no such document.pdf")));
}

} // namespace
} // namespace tvqx::win32test
