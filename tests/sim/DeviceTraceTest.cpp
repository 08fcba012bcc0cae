// What the devices tell a trace sink: the steps that matter, each at the
// moment the device takes it, and which of them went as they should.

#include "sim/VariantDevices.h"
#include "tests/sim/HexRows.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

struct Told {
    TraceKind kind;
    std::string text;
    bool operator==(const Told&) const = default;
};

class Recorder final : public TraceSink {
public:
    void Tell(uint64_t, TraceKind kind, const std::string& text) override { told.push_back({kind, text}); }
    std::vector<Told> told;
};

std::vector<uint8_t> Page(uint16_t page, uint8_t checksumError = 0)
{
    const std::vector<uint8_t> data = PageData(page);
    std::vector<uint8_t> frame{0, static_cast<uint8_t>(page)};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(static_cast<uint8_t>(Checksum(data) + checksumError));
    return frame;
}

constexpr TraceKind kNotable = TraceKind::Notable;
constexpr TraceKind kRoutine = TraceKind::Routine;
constexpr TraceKind kCompleted = TraceKind::Completed;

TEST(DeviceTrace, DevicesTellTheStepsThatMatter)
{
    const struct {
        int variant;
        VariantDeviceFaults faults;
        uint32_t baud;
        // What the program sends, each after the one before by 10 ms.
        std::vector<std::vector<uint8_t>> sent;
        // Told in this order, among other things.
        std::vector<Told> told;
    } cases[] = {
        {10, {.pages = {.resendsForPage = {{0, 1}}}}, 9600,
         {Bytes(kBootEntryCommand), Page(0), Page(0), Page(1, 1), {0xFF, 0xFF}},
         {{kNotable, "entry command received"},
          {kNotable, "page 0: checksum ok, not written, answered '@' (--resend)"},
          {kNotable, "page 0 sent again (resend 1)"},
          {kRoutine, "page 0: checksum ok, written, answered '!'"},
          {kNotable, "page 1: checksum bad, not written, answered '@'"},
          {kCompleted, "end marker received: 1 pages written; answering '!'"}}},
        {1, {}, 115200,
         {{kWakeUpPoll}, Bytes(kBootEntryCommand), Bytes(HexRecord(0, 0x10, {1, 2, 3, 4})),
          Bytes(HexRecord(0, 0x14, {5}, 1)), Bytes(EndOfFileRecord())},
         {{kNotable, "poll 1 (0xC0) received: awake, 0xD0 sent"},
          {kNotable, "ready sent: '?', then XON for row 1"},
          {kRoutine, "row 1: 4 bytes at 0x0010 written"},
          {kNotable, "row 2 refused (bad checksum): answered XOFF, NAK"},
          {kCompleted, "row 3: end-of-file record, file complete; answering '@'"}}},
    };
    for (const auto& c : cases) {
        VariantDevice device = MakeDeviceForVariant(c.variant, c.faults);
        Recorder recorder;
        device.SetTraceSink(&recorder);
        device.Line().SetLineSpeed(c.baud, 0);
        device.Line().SetPower(true, true, 0);
        uint64_t nowMs = 0;
        std::vector<uint8_t> heard;
        for (const std::vector<uint8_t>& bytes : c.sent) {
            nowMs += 10;
            device.Line().Receive(bytes.data(), bytes.size(), nowMs);
            device.Line().Collect(nowMs, heard);
        }
        auto at = recorder.told.begin();
        for (const Told& expected : c.told) {
            at = std::find(at, recorder.told.end(), expected);
            ASSERT_NE(at, recorder.told.end()) << "variant " << c.variant << ": missing, or out of order: "
                                                << expected.text;
        }
    }
}

} // namespace
} // namespace tvqx::sim::test
