// Where the programs take their firmware files from: the directory of the
// program file itself, whatever the current directory, and for a program
// started through a symbolic link (a package's launcher in a bin directory)
// the directory of the file the link leads to, where its bundle lies.

#include "platform/Directories.h"
#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace tvqx {
namespace {

constexpr const char* kProbeFile = "TVQX_EXECUTABLE_DIRECTORY_PROBE";

TEST(ExecutableDirectory, IsTheProgramFilesDirectoryWhateverTheCurrentOne)
{
    const std::string dir = ExecutableDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::is_regular_file(dir + program_invocation_short_name)) << dir;

    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path("/");
    EXPECT_EQ(ExecutableDirectory(), dir);
    std::filesystem::current_path(saved);
}

TEST(ExecutableDirectory, ThroughASymbolicLinkIsWhereTheLinkLeads)
{
    test::ScratchDir scratch("tvqx-exedir");
    const std::string link = scratch.Root() + "launcher";
    std::error_code ec;
    std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe"), link, ec);
    if (ec)
        GTEST_SKIP() << "no symbolic links here";
    const std::string out = scratch.Root() + "seen";
    const std::string filter = "--gtest_filter=ExecutableDirectoryProbe.*";
    const std::string env = std::string(kProbeFile) + "=" + out;
    char* argv[] = {const_cast<char*>(link.c_str()), const_cast<char*>(filter.c_str()), nullptr};
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        envp.push_back(*e);
    envp.push_back(const_cast<char*>(env.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv, envp.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string seen;
    std::getline(std::ifstream(out), seen);
    EXPECT_EQ(seen, ExecutableDirectory());
    EXPECT_NE(seen, scratch.Root());
}

// Run by the test above in a program started through a link; does nothing
// on its own.
TEST(ExecutableDirectoryProbe, WritesWhatTheProgramSees)
{
    const char* out = std::getenv(kProbeFile);
    if (!out)
        GTEST_SKIP() << "only run through a link by ThroughASymbolicLinkIsWhereTheLinkLeads";
    std::ofstream(out) << ExecutableDirectory() << "\n";
}

} // namespace
} // namespace tvqx
#endif
