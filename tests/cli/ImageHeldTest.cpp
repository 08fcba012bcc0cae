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
constexpr const char* kCannotOpen =
    "[Firmware Update Error]\nUnable to open the temporary firmware file.               \n\n";

enum class Note { None, Image, FirmwareFile };

struct HeldCase {
    const char* name;
    const char* heldFile;   // in the temporary directory, or the program's
    // Virtual milliseconds after the start at which the other copy takes
    // it, or nothing: it never does.
    std::optional<uint64_t> takenAtMs;
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
    if (c.takenAtMs == 0u) {
        other = File::Create(held);
        ASSERT_TRUE(other);
    } else if (c.takenAtMs) {
        // After this copy wrote the image and before it opens it to send
        // (the boot loader's power-up pause lasts 500 ms).
        clock.At(start + *c.takenAtMs, [&] { other = File::OpenReadWrite(held); });
    }
    if (c.imageIsADirectory)
        std::filesystem::create_directories(ImagePath());

    EXPECT_EQ(Run(3), c.exitStatus);
    if (c.takenAtMs) {
        ASSERT_TRUE(other) << "the other copy never got the file";
    }
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
        HeldCase{"ImageHeldBeforeTheStart", "Hex.tmp", 0, false, kCannotCreate, kExitFailed, Note::Image},
        HeldCase{"ImageTakenBetweenWritingAndSending", "Hex.tmp", 200, false, kCannotOpen, kExitFailed, Note::Image},
        HeldCase{"ImageNameTakenByADirectory", "Hex.tmp", std::nullopt, true, kCannotCreate, kExitFailed, Note::None},
        HeldCase{"HexFileHeldAtTheStart", kHexFile, 0, false, "Unable to open the firmware hex file:     \n",
                 kExitNotStarted, Note::FirmwareFile}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tvqx::cli::test
