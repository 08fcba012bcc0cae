// Line timing on the pseudo-terminal: 10 bits per byte at the line speed.

#include "sim/pty/LinePacer.h"

#include <gtest/gtest.h>

namespace tvqx::sim {
namespace {

constexpr uint64_t kMs = 1000000;

std::vector<uint64_t> ArrivalTimes(LinePacer& pacer, uint64_t untilNs)
{
    std::vector<TimedLineByte> out;
    pacer.TakeArrived(untilNs, out);
    std::vector<uint64_t> times;
    for (const TimedLineByte& b : out)
        times.push_back(b.timeNs);
    return times;
}

TEST(LinePacer, BytesFromTheProgramArriveOneByteTimeApart)
{
    EXPECT_EQ(ByteTimeNs(9600), 1041666u);
    EXPECT_EQ(ByteTimeNs(0), ByteTimeNs(9600));

    LinePacer pacer(true);
    const uint8_t bytes[3] = {1, 2, 3};
    pacer.FromProgram(bytes, 3, 10 * kMs, 9600);
    // A byte that was read while its predecessor was still on the line
    // queues behind it; one read after the line went idle starts at once.
    pacer.FromProgram(bytes, 1, 11 * kMs, 9600);
    pacer.FromProgram(bytes, 1, 50 * kMs, 19200);
    const uint64_t t = ByteTimeNs(9600);
    EXPECT_EQ(pacer.NextDueNs(), 10 * kMs + t);
    EXPECT_EQ(ArrivalTimes(pacer, 10 * kMs + 2 * t), (std::vector<uint64_t>{10 * kMs + t, 10 * kMs + 2 * t}));
    EXPECT_EQ(ArrivalTimes(pacer, 100 * kMs),
              (std::vector<uint64_t>{10 * kMs + 3 * t, 10 * kMs + 4 * t, 50 * kMs + ByteTimeNs(19200)}));
    EXPECT_FALSE(pacer.NextDueNs());
}

TEST(LinePacer, TheDevicesAnswersLeaveNoFasterThanTheLine)
{
    LinePacer pacer(true);
    const uint8_t answer[3] = {'a', 'b', 'c'};
    pacer.FromDevice(answer, 3, 0, 9600);
    std::vector<uint8_t> out;
    pacer.TakeDue(ByteTimeNs(9600) * 2, out);
    EXPECT_EQ(out, (std::vector<uint8_t>{'a', 'b'}));
    // What the program's side could not take goes first next time.
    pacer.PutBack(out.data() + 1, 1, ByteTimeNs(9600) * 2);
    out.clear();
    pacer.TakeDue(ByteTimeNs(9600) * 3, out);
    EXPECT_EQ(out, (std::vector<uint8_t>{'b', 'c'}));

    // A power cut drops the rest and leaves the line idle.
    pacer.FromDevice(answer, 3, 100 * kMs, 9600);
    pacer.Reset();
    EXPECT_FALSE(pacer.NextDueNs());
    pacer.FromDevice(answer, 1, 5 * kMs, 9600);
    EXPECT_EQ(pacer.NextDueNs(), 5 * kMs + ByteTimeNs(9600));
}

TEST(LinePacer, UnpacedBytesAreDueWhenHandedOver)
{
    LinePacer pacer(false);
    const uint8_t bytes[2] = {7, 8};
    pacer.FromProgram(bytes, 2, 3 * kMs, 9600);
    pacer.FromDevice(bytes, 2, 3 * kMs, 9600);
    EXPECT_EQ(ArrivalTimes(pacer, 3 * kMs), (std::vector<uint64_t>{3 * kMs, 3 * kMs}));
    std::vector<uint8_t> out;
    pacer.TakeDue(3 * kMs, out);
    EXPECT_EQ(out.size(), 2u);
}

} // namespace
} // namespace tvqx::sim
