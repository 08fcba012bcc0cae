// A page image that holds not even one whole page (rewritten under the
// program's feet, or cut short by a full disk) is refused like an image that
// cannot be opened, in both procedures that send pages (variant 10's, and
// the one of variants 4, 5 and 6): nothing is sent, nothing is saved, and
// the window never claims a success.

#include "UpdateFixture.h"

#include <filesystem>

namespace tvqx::testing {
namespace {

struct ShortImageCase {
    int variant;
    uintmax_t imageBytes;   // what is left of Hex.tmp once the boot loader has answered
};

class ShortImage : public UpdateFixture, public ::testing::WithParamInterface<ShortImageCase> {};

TEST_P(ShortImage, IsRefusedAndNothingIsSent)
{
    const ShortImageCase& c = GetParam();
    UseVariant(c.variant);
    WriteFirmwareHex(1024);
    OpenOnDevicePort();
    profile.WriteProfileInt("Settings", "ComPort", 1);
    // The boot loader's version line is shown after its answer and before
    // the image is read: the moment another program could empty the file.
    bool cut = false;
    ui.onControlChanged = [&](CDialog& dialog, int) {
        if (!cut && &dialog == dlg.get() && !Status(IDC_BOOTLOADER_VERSION).empty()) {
            cut = true;
            std::filesystem::resize_file(ImagePath(), c.imageBytes);
        }
    };
    Press();
    RunWindow();

    ASSERT_TRUE(cut);
    ExpectBox("Unable to open the temporary firmware file.               ", "Firmware Update Error", MB_OK);
    EXPECT_NE(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(unit.BlocksReceived(), 0u);
    EXPECT_FALSE(unit.UpdateComplete());   // not even the end marker
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(PageVariants, ShortImage,
                         ::testing::Values(ShortImageCase{10, 127}, ShortImageCase{4, 255}),
                         [](const auto& info) {
                             return "Variant" + std::to_string(info.param.variant) + "With" +
                                    std::to_string(info.param.imageBytes) + "Bytes";
                         });

} // namespace
} // namespace tvqx::testing
