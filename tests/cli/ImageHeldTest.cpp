// The page image or the HEX file while another copy of the program holds
// it: a copy that finds it held sends nothing, and the console says why where
// the window's own text would send the user looking for a disk problem.

#include "platform/File.h"
#include "sim/PageBootLoader.h"
#include "tests/cli/UpdateRunFixture.h"

#include <filesystem>
#include <optional>

namespace tvqx::cli::test {
namespace {

constexpr const char* kCannotCreate =
    "[Firmware Update Error]\nUnable to create the temporary firmware file.               \n\n";

enum class Note { None, Image, FirmwareFile };

struct HeldCase {
    const char* name;
    const char* heldFile;   // in the temporary directory, or the program's
    bool taken;   // by the other copy before this one starts
    bool imageIsADirectory;   // cannot be created, and nobody holds it
    const char* box;
    int exitStatus;
    Note note;
};

class ImageHeldCases : public UpdateRunFixture, public ::testing::WithParamInterface<HeldCase> {
protected:
    sim::PageBootLoader& device = Attach(3, std::make_unique<sim::PageBootLoader>(sim::PageBootLoaderFaults{}));
    const uint64_t start = clock.Now();
};

TEST_P(ImageHeldCases, NothingIsSentAndTheConsoleSaysWhy)
{
    const HeldCase& c = GetParam();
    const std::string held = c.heldFile == std::string("Hex.tmp") ? ImagePath() : programDir + c.heldFile;
    std::optional<File> other;
    if (c.taken) {
        other = File::Create(held);
        ASSERT_TRUE(other);
    }
    if (c.imageIsADirectory)
        std::filesystem::create_directories(ImagePath());

    EXPECT_EQ(Run(3), c.exitStatus);
    EXPECT_NE(out.str().find(std::string(c.box)), std::string::npos) << out.str();
    EXPECT_TRUE(device.PagesWritten().empty());
    const std::string notes[] = {"", std::string(kImageHeldNote) + ImagePath() + "\n",
                                 std::string(kFirmwareFileHeldNote) + "\n"};
    EXPECT_EQ(err.str(), notes[static_cast<int>(c.note)]);
}

constexpr const char* kHexFile = "TVQX-R_4_12.hex";

INSTANTIATE_TEST_SUITE_P(
    Console, ImageHeldCases,
    ::testing::Values(
        HeldCase{"ImageHeldBeforeTheStart", "Hex.tmp", true, false, kCannotCreate, kExitFailed, Note::Image},
        HeldCase{"ImageNameTakenByADirectory", "Hex.tmp", false, true, kCannotCreate, kExitFailed, Note::None},
        HeldCase{"HexFileHeldAtTheStart", kHexFile, true, false, "Unable to open the firmware hex file:     \n",
                 kExitNotStarted, Note::FirmwareFile}),
    [](const auto& info) { return std::string(info.param.name); });

// From its conversion to its last page the image is this copy's: another
// copy that comes for it meanwhile (the boot loader's power-up pause lasts
// 500 ms) finds it held, and the unit gets the image this copy wrote.
TEST_F(ImageHeldCases, ImageIsHeldFromItsConversionToTheLastPage)
{
    std::optional<File> other;
    bool otherFoundItHeld = false;
    clock.At(start + 200, [&] { other = File::Create(ImagePath(), File::Sharing::None, &otherFoundItHeld); });

    EXPECT_EQ(Run(3), kExitUpdated) << out.str();
    EXPECT_FALSE(other);
    EXPECT_TRUE(otherFoundItHeld);
    EXPECT_FALSE(device.PagesWritten().empty());
}

} // namespace
} // namespace tvqx::cli::test
