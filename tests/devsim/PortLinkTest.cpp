// The COMn entry: the host takes the place of an entry only when it leads
// nowhere (a killed host's leftover); anyone else's stays, in any case of
// its name, and the host says why it cannot start.

#include "sim/pty/PortLink.h"
#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tvqx::sim {
namespace {

namespace fs = std::filesystem;

struct ExistingEntry {
    const char* name;
    const char* linksTo;   // nullptr: a plain file
    bool replaced;
};

class PortLinkClaim : public testing::TestWithParam<ExistingEntry> {};
TEST_P(PortLinkClaim, OnlyADanglingLinkIsReplaced)
{
    const ExistingEntry& existing = GetParam();
    test::ScratchDir dir("tvqx-portlink");
    const std::string other = dir.Path(existing.name);
    if (existing.linksTo)
        dir.Link(existing.name, existing.linksTo);
    else
        dir.Write(existing.name, "x");

    const std::string terminal = dir.Write("pts", "");
    std::string error;
    bool taken = false;
    {
        PortLink link;
        EXPECT_EQ(link.Claim(dir.Root(), 9, terminal, error, taken), existing.replaced) << error;
        EXPECT_EQ(taken, !existing.replaced);
        if (existing.replaced) {
            EXPECT_EQ(fs::read_symlink(dir.Path("COM9")), terminal);
        } else {
            EXPECT_NE(error.find(other + (existing.linksTo ? " (leads to /dev/null)" : "") + " already exists"),
                      std::string::npos)
                << error;
        }
    }
    // Released with the host: its own entry goes, someone else's stays.
    EXPECT_EQ(fs::exists(fs::symlink_status(other)), !existing.replaced);
}
INSTANTIATE_TEST_SUITE_P(Entries, PortLinkClaim,
                         testing::Values(ExistingEntry{"COM9", "/dev/pts/no-such-terminal", true},
                                         ExistingEntry{"COM9", "/dev/null", false},
                                         ExistingEntry{"com9", "/dev/null", false},
                                         ExistingEntry{"COM9", nullptr, false}),
                         [](const testing::TestParamInfo<ExistingEntry>& info) {
                             const ExistingEntry& e = info.param;
                             return std::string(e.name) + (!e.linksTo    ? "_file"
                                                           : e.replaced ? "_dangling"
                                                                        : "_to_device");
                         });

} // namespace
} // namespace tvqx::sim
