// A page image that holds not even one whole page (rewritten under the
// program's feet, or cut short by a full disk) is refused like an image that
// cannot be opened, in every variant that sends pages: nothing is sent,
// nothing is saved, and the window never claims a success.

#include "RadioLinkFixture.h"

#include <filesystem>

namespace tvqx::testing {
namespace {

struct ShortImageCase {
    int variant;
    uintmax_t imageBytes;   // what is left of Hex.tmp once the boot loader has answered
};

void PrintTo(const ShortImageCase& c, std::ostream* os)
{
    *os << "variant " << c.variant << ", " << c.imageBytes << " bytes";
}

class ShortImage : public RadioLinkFixture, public ::testing::WithParamInterface<ShortImageCase> {};

TEST_P(ShortImage, IsRefusedAndNothingIsSent)
{
    const ShortImageCase& c = GetParam();
    if (c.variant == 6) {
        Prepare(6);
    } else {
        UseVariant(c.variant);
        WriteFirmwareHex(1024);
        OpenOnDevicePort();
    }
    profile.WriteProfileInt("Settings", "ComPort", 1);
    // The boot loader's version line is shown after its answer and before
    // the image is read: the moment another program could empty the file.
    bool cut = false;
    auto previous = ui.onControlChanged;
    ui.onControlChanged = [&](CDialog& dialog, int index) {
        if (previous)
            previous(dialog, index);
        if (!cut && &dialog == dlg.get() && !Status(IDC_BOOTLOADER_VERSION).empty()) {
            cut = true;
            std::filesystem::resize_file(ImagePath(), c.imageBytes);
        }
    };
    Press();
    RunWindow();

    ASSERT_TRUE(cut);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Unable to open the temporary firmware file.               ");
    EXPECT_EQ(Boxes()[0].caption, "Firmware Update Error");
    EXPECT_EQ(Boxes()[0].type, MB_OK);
    EXPECT_NE(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(unit.BlocksReceived(), 0u);
    EXPECT_FALSE(unit.UpdateComplete());   // not even the end marker
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), 1);
    EXPECT_TRUE(IsIdleWindow());
}

INSTANTIATE_TEST_SUITE_P(PageVariants, ShortImage,
                         ::testing::Values(ShortImageCase{10, 0}, ShortImageCase{10, 127}, ShortImageCase{4, 255},
                                           ShortImageCase{5, 0}, ShortImageCase{5, 255}, ShortImageCase{6, 255}),
                         [](const auto& info) {
                             return "Variant" + std::to_string(info.param.variant) + "With" +
                                    std::to_string(info.param.imageBytes) + "Bytes";
                         });

} // namespace
} // namespace tvqx::testing
