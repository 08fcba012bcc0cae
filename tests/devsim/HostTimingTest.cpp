// When the host looks at the line, and where on the line the unit's answers
// start: looking late or seldom must neither delay nor stretch the line.

#include "UnitBench.h"

#include "sim/RowBootLoader.h"
#include "sim/WakeUpFront.h"
#include "sim/pty/LinePacer.h"

#include <gtest/gtest.h>

namespace tvqx::sim::test {
namespace {

const uint64_t kByte115200 = ByteTimeNs(115200);

TEST(HostTiming, ABurstToTheUnitIsLookedAtOnceAMillisecondAndWhenItsLastByteIsIn)
{
    LinePacer pacer(true);
    const std::vector<uint8_t> row(43, '0');
    const uint64_t start = 200000;   // 0.2 ms
    const uint64_t last = start + 43 * kByte115200;   // 3.93 ms
    pacer.FromProgram(row.data(), row.size(), start, 115200);

    std::vector<TimedLineByte> in;
    for (uint64_t look : {1 * kNsPerMs, 2 * kNsPerMs, 3 * kNsPerMs}) {
        EXPECT_EQ(pacer.NextLookNs(), look);
        pacer.TakeArrived(look, in);
    }
    EXPECT_EQ(pacer.NextLookNs(), last);
    pacer.TakeArrived(last, in);
    ASSERT_EQ(in.size(), row.size());
    EXPECT_EQ(in.back().timeNs, last);   // handed over late, stamped with its own time
    EXPECT_FALSE(pacer.NextLookNs());

    // A lone byte is looked at when it is in; bytes to the program each
    // when it is due.
    pacer.FromProgram(row.data(), 1, 10 * kNsPerMs, 115200);
    pacer.FromDevice(row.data(), 2, 10 * kNsPerMs, 115200);
    EXPECT_EQ(pacer.NextLookNs(), 10 * kNsPerMs + kByte115200);
    std::vector<uint8_t> out;
    pacer.TakeArrived(10 * kNsPerMs + kByte115200, in);
    pacer.TakeDue(10 * kNsPerMs + kByte115200, out);
    EXPECT_EQ(pacer.NextLookNs(), 10 * kNsPerMs + 2 * kByte115200);

    // Unpaced, everything is due when it is read.
    LinePacer fast(false);
    fast.FromProgram(row.data(), row.size(), start, 115200);
    EXPECT_EQ(fast.NextLookNs(), start);
}

TEST(HostTiming, AnAnswerLeavesTheUnitWhenItsByteWasInNotWhenTheHostLooked)
{
    UnitBench bench({"--variant", "row-wake"});
    bench.PowerOn(0, 115200);
    const uint64_t in = 100 * kNsPerMs + 300000;
    bench.Unit().Take({in, kWakeUpPoll});
    EXPECT_EQ(bench.Heard(100), std::vector<uint8_t>{kWakeUpAnswer});
    // Looked at later within the same millisecond: when the poll was in.
    EXPECT_EQ(bench.Unit().ReleasedNs(100 * kNsPerMs + 900000), in);
    // In a later millisecond the unit's clock tells no more than its start.
    EXPECT_EQ(bench.Unit().ReleasedNs(102 * kNsPerMs + 500000), 102 * kNsPerMs);
}

TEST(HostTiming, ARowsAnswersFollowItsLastByteOneByteTimeApartHoweverLateTheLook)
{
    UnitBench bench({"--variant", "row-wake"});
    bench.PowerOn(0, 115200);
    bench.Send(std::vector<uint8_t>{kWakeUpPoll}, 1);
    bench.Send(kBootEntryCommand, 2);
    bench.Heard(10);   // version, '?' and the first XON

    const std::string record = HexRecord(0, 0, {1, 2, 3});
    const uint64_t start = 20 * kNsPerMs + 100000;
    LinePacer pacer(true);
    pacer.FromProgram(Bytes(record).data(), record.size(), start, 115200);
    const uint64_t last = start + record.size() * kByte115200;
    // The host wakes 0.4 ms after the record's last byte was in.
    const uint64_t look = last + 400000;
    std::vector<TimedLineByte> in;
    pacer.TakeArrived(look, in);
    for (const TimedLineByte& b : in)
        bench.Unit().Take(b);
    std::vector<uint8_t> answers;
    bench.Unit().Collect(look, answers);
    ASSERT_EQ(answers, (std::vector<uint8_t>{kRowXoff, kRowLineComplete, kRowXon}));
    pacer.FromDevice(answers.data(), answers.size(), bench.Unit().ReleasedNs(look), 115200);

    std::vector<uint8_t> out;
    pacer.TakeDue(last + 3 * kByte115200 - 1, out);
    EXPECT_EQ(out.size(), 2u) << "the XON is not due before three byte times after the row";
    pacer.TakeDue(last + 3 * kByte115200, out);
    EXPECT_EQ(out, answers);
}

} // namespace
} // namespace tvqx::sim::test
