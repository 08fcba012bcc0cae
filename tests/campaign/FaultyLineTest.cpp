// The faulty line spoils exactly the bytes it is told to, in the direction it
// is told to, and nothing else.

#include "sim/FaultyLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tvqx::campaign {
namespace {

using sim::LineDirection;
using sim::LineFault;
using sim::LineFaultKind;

// A device that keeps what it hears and says what it is told to.
class Recorder final : public sim::SimDevice {
public:
    void SetPower(bool dtr, bool rts, uint64_t) override { powered = dtr && rts; }
    void SetLineSpeed(uint32_t, uint64_t) override {}
    void Receive(const uint8_t* data, size_t count, uint64_t) override { heard.append(data, data + count); }
    void Collect(uint64_t, std::vector<uint8_t>& out) override
    {
        out.insert(out.end(), toSay.begin(), toSay.end());
        toSay.clear();
    }
    bool Dsr() const override { return powered; }

    bool powered = false;
    std::string heard;
    std::string toSay;
};

std::string Collected(sim::FaultyLine& line, uint64_t nowMs)
{
    std::vector<uint8_t> out;
    line.Collect(nowMs, out);
    return {out.begin(), out.end()};
}

struct Case {
    const char* name;
    LineFault fault;
    const char* heard;   // what the device gets of "ABCDEF"
    const char* said;    // what the program gets of "abcdef"
};

const Case kCases[] = {
    {"nothing at a byte that never comes", {LineFaultKind::Drop, LineDirection::ToDevice, 6}, "ABCDEF", "abcdef"},
    {"drop to device", {LineFaultKind::Drop, LineDirection::ToDevice, 2}, "ABDEF", "abcdef"},
    {"drop to program", {LineFaultKind::Drop, LineDirection::ToProgram, 0}, "ABCDEF", "bcdef"},
    {"flip to device", {LineFaultKind::Flip, LineDirection::ToDevice, 5, 0x20}, "ABCDEf", "abcdef"},
    {"flip to program", {LineFaultKind::Flip, LineDirection::ToProgram, 1, 0x20}, "ABCDEF", "aBcdef"},
    {"insert to device", {LineFaultKind::Insert, LineDirection::ToDevice, 0, '!'}, "!ABCDEF", "abcdef"},
    {"insert to program", {LineFaultKind::Insert, LineDirection::ToProgram, 3, '@'}, "ABCDEF", "abc@def"},
    {"deaf from a byte", {LineFaultKind::Silent, LineDirection::ToDevice, 4}, "ABCD", "abcdef"},
    {"mute from a byte", {LineFaultKind::Silent, LineDirection::ToProgram, 2}, "ABCDEF", "ab"},
};

class FaultyLineBytes : public ::testing::TestWithParam<Case> {};

TEST_P(FaultyLineBytes, SpoilsOnlyItsByteInItsDirection)
{
    const Case& c = GetParam();
    Recorder device;
    sim::FaultyLine line(device, {c.fault});
    const std::string sent = "ABCDEF";
    // Written in two writes: the count runs on across them.
    line.Receive(reinterpret_cast<const uint8_t*>(sent.data()), 3, 0);
    line.Receive(reinterpret_cast<const uint8_t*>(sent.data()) + 3, 3, 1);
    device.toSay = "abc";
    std::string said = Collected(line, 2);
    device.toSay = "def";
    said += Collected(line, 3);

    EXPECT_EQ(device.heard, c.heard);
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(std::string(line.Written().begin(), line.Written().end()), sent);
    const bool fired = std::string(c.heard) != "ABCDEF" || std::string(c.said) != "abcdef";
    EXPECT_EQ(line.Fired().size(), fired ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultyLineBytes, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST(FaultyLine, LateAnswersKeepTheirOrderAndEverythingBehindThemWaits)
{
    Recorder device;
    sim::FaultyLine line(device, {{LineFaultKind::Late, LineDirection::ToProgram, 1, 0, 3000}});
    device.toSay = "ab";
    EXPECT_EQ(Collected(line, 100), "a");
    device.toSay = "c";
    EXPECT_EQ(Collected(line, 200), "");
    EXPECT_EQ(Collected(line, 3099), "");
    EXPECT_EQ(Collected(line, 3100), "b");
    EXPECT_EQ(Collected(line, 3200), "c");
}

TEST(FaultyLine, PowerLostMidTransferCutsTheDeviceOffForGood)
{
    Recorder device;
    sim::FaultyLine line(device, {{LineFaultKind::PowerLoss, LineDirection::ToDevice, 2}});
    line.SetPower(true, true, 0);
    EXPECT_TRUE(line.Dsr());
    const std::string sent = "ABCD";
    device.toSay = "x";   // said before the cut, not yet collected
    line.Receive(reinterpret_cast<const uint8_t*>(sent.data()), sent.size(), 10);

    EXPECT_EQ(device.heard, "AB");
    EXPECT_FALSE(device.powered);
    EXPECT_TRUE(line.Dead());
    EXPECT_FALSE(line.Dsr());
    EXPECT_EQ(Collected(line, 20), "");
    // Opening the port again does not bring the unit back.
    line.SetPower(true, true, 30);
    EXPECT_FALSE(device.powered);
}

} // namespace
} // namespace tvqx::campaign
