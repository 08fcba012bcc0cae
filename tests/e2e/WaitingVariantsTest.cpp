// The console updater built for a waiting update procedure against the
// virtual unit that procedure meets: the wake-up handshake on a real
// pseudo-terminal, the transfer after it, and Ctrl-C during the wait.

#include "firmware/HexImage.h"
#include "tests/e2e/EndToEndFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace tvqx::e2e {
namespace {

constexpr const char* kDescription = "Tollvane-QX-R_with_Rd_Sw_Conn.txt";
constexpr const char* kHexFile = "TVQX-R_4_12.hex";
constexpr size_t kFlashSize = 65536;

struct WaitingVariant {
    const char* name;
    const char* program;               // the updater built for the variant
    const char* unit;                  // tvqx-devsim --variant
    std::vector<std::string> pacing;   // tvqx-devsim options for the line
    bool rows;                         // sends HEX rows, not pages of the image
};

void PrintTo(const WaitingVariant& variant, std::ostream* out)
{
    *out << variant.name;
}

class WaitingVariantEndToEnd : public EndToEndFixture, public ::testing::WithParamInterface<WaitingVariant> {
protected:
    WaitingVariantEndToEnd()
    {
        InstallUpdater(GetParam().program);
        for (const char* name : {kDescription, kHexFile})
            fs::copy_file(fs::path(TVQX_EXAMPLES_DIR) / name, bundle / name);
    }

    std::unique_ptr<Process> StartUnit(std::vector<std::string> options)
    {
        options.insert(options.begin(), {"--variant", GetParam().unit});
        options.insert(options.end(), GetParam().pacing.begin(), GetParam().pacing.end());
        return StartDevice(options);
    }

    // The image the updater's own conversion makes of the bundle's HEX file.
    std::string ConvertedImage()
    {
        const fs::path out = root / "expected.bin";
        EXPECT_EQ(ConvertHexFileToImage((bundle / kHexFile).string(), out.string()), ConvertResult::Ok);
        return ReadAll(out);
    }

    // The last progress line of a whole transfer of `image`.
    std::string LastProgress(const std::string& image)
    {
        char text[80];
        if (GetParam().rows) {
            const std::string hex = ReadAll(bundle / kHexFile);
            const long rows = std::count(hex.begin(), hex.end(), '\n');
            std::snprintf(text, sizeof text, "Sending hex file row  %ld  of  %ld", rows, rows);
        } else {
            const size_t pages = image.size() / 256;
            std::snprintf(text, sizeof text, "Sending hex file page  %zu  of  %zu", pages, pages);
        }
        return text;
    }
};

TEST_P(WaitingVariantEndToEnd, WakesTheUnitAndPutsTheFirmwareInItsFlash)
{
    const fs::path flash = root / "flash.bin";
    auto device = StartUnit({"--updates", "1", "--flash-out", flash.string()});
    auto update = StartUpdate();
    ASSERT_EQ(update->Wait(60s), 0) << CliOutput() << DeviceTrace();
    ASSERT_EQ(device->Wait(10s), 0) << DeviceTrace();

    const std::string image = ConvertedImage();
    ASSERT_FALSE(image.empty());
    const std::string out = CliOutput();
    EXPECT_NE(out.find("[Firmware Update Complete]\nThe Tollvane QX-R firmware has been successfully updated.     \n\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Boot loader version  =  TVQXR-1-4.00\n" + LastProgress(image) +
                       "\nTollvane QX-R firmware successfully updated\n"),
              std::string::npos)
        << out;

    // The unit was woken by the wait's polls, not entered some other way.
    const std::string trace = DeviceTrace();
    EXPECT_NE(trace.find("(0xC0) received: awake, 0xD0 sent"), std::string::npos) << trace;

    // What the HEX file sets is in the flash; everything else stays erased.
    const std::string written = ReadAll(flash);
    ASSERT_EQ(written.size(), kFlashSize);
    EXPECT_TRUE(written.compare(0, image.size(), image) == 0) << "flash differs from the converted image";
    EXPECT_EQ(written.find_first_not_of('\xFF', image.size()), std::string::npos);

    EXPECT_NE(Settings().find("ComPort=7"), std::string::npos) << Settings();
    EXPECT_FALSE(fs::exists(PageImage()));
    EXPECT_FALSE(PortEntryExists());
}

TEST_P(WaitingVariantEndToEnd, CtrlCDuringTheWaitLeavesTheUnitUnpowered)
{
    auto device = StartUnit({"--never-wake"});
    auto update = StartUpdate();
    ASSERT_TRUE(WaitForText(DeviceLog(), "poll 1 (0xC0) received", 20s)) << DeviceTrace() << CliOutput();
    // Only the page procedures write the image before the wait.
    EXPECT_EQ(fs::exists(PageImage()), !GetParam().rows);
    EXPECT_EQ(DeviceTrace().find("power off"), std::string::npos) << DeviceTrace();

    update->Signal(SIGINT);
    ASSERT_EQ(update->Wait(20s), 130) << CliOutput();
    EXPECT_TRUE(WaitForText(DeviceLog(), "power off: port closed", 10s)) << DeviceTrace();

    const std::string out = CliOutput();
    EXPECT_EQ(out.find('['), std::string::npos) << "a message box was shown:\n" << out;
    EXPECT_NE(out.find("Press Ctrl-C to cancel.\n"), std::string::npos) << out;
    EXPECT_EQ(DeviceTrace().find("entry command"), std::string::npos) << DeviceTrace();
    EXPECT_FALSE(fs::exists(PageImage()));
    EXPECT_TRUE(Settings().find("ComPort=") == std::string::npos) << Settings();

    device->Signal(SIGTERM);
    EXPECT_EQ(device->Wait(10s), 0) << DeviceTrace();
    EXPECT_FALSE(PortEntryExists());
}

// Variant 1 keeps the line's real pace (the sample's rows take about a
// second at 115200 baud); variant 4's 9600-baud pages would take many.
INSTANTIATE_TEST_SUITE_P(Variants, WaitingVariantEndToEnd,
                         ::testing::Values(WaitingVariant{"Variant1", TVQX_CLI_VARIANT1_PATH, "1", {}, true},
                                           WaitingVariant{"Variant4", TVQX_CLI_VARIANT4_PATH, "4", {"--fast"},
                                                          false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tvqx::e2e
