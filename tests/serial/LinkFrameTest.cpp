// The two radio link frame forms as they go on the line.

#include "serial/CRS232.h"
#include "testsupport/SimulatedPortLayer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

namespace tvqx::test {
namespace {

using Bytes = std::vector<uint8_t>;

// The real frame senders, with the frame counters in view.
class LinkRS232 : public CRS232 {
public:
    using CRS232::CRS232;
    using CRS232::m_frameSeq1, CRS232::m_frameSeq2;
};

// Keeps each platform write on its own: one frame is one write.
struct WriteRecorder final : sim::SimDevice {
    void SetPower(bool, bool, uint64_t) override {}
    void SetLineSpeed(uint32_t, uint64_t) override {}
    void Receive(const uint8_t* data, size_t count, uint64_t) override { writes.emplace_back(data, data + count); }
    void Collect(uint64_t, std::vector<uint8_t>&) override {}
    std::vector<Bytes> writes;
};

// "<$:P", the frame's three digits, then the parts in turn.
Bytes Frame(const char* digits, std::initializer_list<Bytes> parts)
{
    Bytes all = {'<', '$', ':', 'P', uint8_t(digits[0]), uint8_t(digits[1]), uint8_t(digits[2])};
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

class LinkFrameTest : public ::testing::Test {
protected:
    LinkFrameTest()
    {
        std::iota(data.begin(), data.end(), uint8_t(0x30));
        layer.Attach(1, line);
    }
    std::unique_ptr<LinkRS232> OpenLink(int form)
    {
        auto link = std::make_unique<LinkRS232>(layer, clock, form);
        EXPECT_EQ(link->Open(1, 38400, 'N', 8, 1), 1);
        line.writes.clear();
        return link;
    }
    std::vector<size_t> WriteSizes() const
    {
        std::vector<size_t> sizes;
        for (const Bytes& w : line.writes)
            sizes.push_back(w.size());
        return sizes;
    }
    Bytes Payload(int n) const { return Bytes(data.begin(), data.begin() + n); }

    VirtualTickClock clock;
    SimulatedPortLayer layer {clock};
    WriteRecorder line;
    Bytes data = Bytes(200);
};

TEST_F(LinkFrameTest, FormOneCarriesItsCountFixedBytesAndTwoZeroBytes)
{
    const Bytes fixed = {0x41, 0x8C, 0x11, 0xEE, 0xEE, 0xFF, 0xFF, 0x00, 0x00, 0x22, 0x00, 0x46};
    struct Row { int n; const char* digits; };
    for (const Row& r : {Row{20, "035"}, Row{1, "016"}, Row{84, "099"}, Row{85, "100"}, Row{86, "101"}}) {
        SCOPED_TRACE(r.n);
        auto link = OpenLink(1);
        link->SendLinkBuffer(data.data(), r.n);
        const Bytes frame = Frame(r.digits, {fixed, {uint8_t(r.n)}, Payload(r.n), {0x00, 0x00}});
        EXPECT_EQ(line.writes, std::vector<Bytes>{frame});
    }
    // Longer buffers go out 86 bytes to a frame; this form keeps no counters.
    auto link = OpenLink(1);
    link->SendLinkBuffer(data.data(), 200);
    EXPECT_EQ(WriteSizes(), (std::vector<size_t>{86 + 22, 86 + 22, 28 + 22}));
    EXPECT_EQ(link->m_frameSeq1, 11);
    EXPECT_EQ(link->m_frameSeq2, 50);
    // Without a frame form nothing goes out at all.
    link.reset();
    auto none = OpenLink(0);
    none->SendLinkBuffer(data.data(), 20);
    none->SendLinkString("hi");
    EXPECT_TRUE(line.writes.empty());
}

TEST_F(LinkFrameTest, FormTwoCarriesTheCountersWhichRunFrom11To255)
{
    auto link = OpenLink(2);
    link->SendLinkBuffer(data.data(), 20);
    EXPECT_EQ(line.writes, std::vector<Bytes>{Frame("033", {{0x61, 0x88, 11, 0xAA, 0xAA, 0, 0, 0, 0, 50, 0x00},
                                                              Payload(20), {0x00, 0x00}})});
    // Longer buffers: 86 bytes to a frame, each with counters of its own.
    link->SendLinkBuffer(data.data(), 200);
    EXPECT_EQ(WriteSizes(), (std::vector<size_t>{20 + 20, 86 + 20, 86 + 20, 28 + 20}));
    EXPECT_EQ(link->m_frameSeq1, 15);
    EXPECT_EQ(link->m_frameSeq2, 54);

    // Each frame carries the counters as they were and moves both on; each
    // wraps past 255 to 11 on its own.
    struct Row { uint8_t before1, before2, after1, after2; };
    for (const Row& r : {Row{11, 50, 12, 51}, Row{255, 254, 11, 255}, Row{10, 0, 11, 11}, Row{254, 255, 255, 11}}) {
        SCOPED_TRACE(int(r.before1));
        link->m_frameSeq1 = r.before1;
        link->m_frameSeq2 = r.before2;
        line.writes.clear();
        link->SendLinkBuffer(data.data(), 1);
        ASSERT_EQ(line.writes.size(), 1u);
        EXPECT_EQ(line.writes[0][9], r.before1);
        EXPECT_EQ(line.writes[0][16], r.before2);
        EXPECT_EQ(link->m_frameSeq1, r.after1);
        EXPECT_EQ(link->m_frameSeq2, r.after2);
    }
}

} // namespace
} // namespace tvqx::test
