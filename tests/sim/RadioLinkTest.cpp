// The radio gateway keeps every byte it cannot make sense of in Errors(),
// which the radio tests in tests/app and tests/cli expect empty: that guard
// holds only while wrong bytes are really recorded. The conversation itself
// is proven byte by byte in tests/app.

#include "sim/RadioFrames.h"
#include "sim/VariantDevices.h"
#include "tests/sim/BootLineDriver.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

std::vector<uint8_t> Concat(const std::string& text, const std::vector<uint8_t>& raw = {},
                            const std::vector<uint8_t>& more = {})
{
    std::vector<uint8_t> bytes = Bytes(text);
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

TEST(RadioLink, WrongBytesAreRecorded)
{
    const struct {
        int variant;
        std::vector<uint8_t> sent;
        const char* mentions;
    } cases[] = {
        {3, Concat("<X"), "unknown command \"<X\""},
        {3, Concat("<RP", kChannelFrame), "not expected here"},
        {6, Concat("<RP", {0x7E, 0x00, 0x06, 0x08, 0x52, 0x49, 0x44, 0xD1, 0xD3, 0x75}), "bad checksum"},
        {6, Concat("<RP", {0x7E, 0x00, 0x40}), "bad length"},
        {6, Concat("<RP", kPanIdFrame, kApiModeFrame), "without the CH frame"},
        {6, Concat("<@:S03ID", {0x33}), "cannot set ID"},
        {6, Concat("<@:SX1"), "bad length"},
    };
    for (const auto& c : cases) {
        VariantDevice device = MakeDeviceForVariant(c.variant);
        BootLineDriver line(device.Line());
        line.Speed(38400);
        line.Power(true);
        line.Wait(500);
        line.Send(c.sent);
        const std::vector<std::string> errors = device.gateway->Errors();
        ASSERT_EQ(errors.size(), 1u) << c.mentions;
        EXPECT_NE(errors[0].find(c.mentions), std::string::npos) << errors[0];
    }
}

} // namespace
} // namespace tvqx::sim::test
