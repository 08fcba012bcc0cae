// The two radio link frame forms as they go on the line.

#include "FakePortLayer.h"

#include <gtest/gtest.h>

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

Bytes Counting(int n, uint8_t first = 0)
{
    Bytes data(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        data[static_cast<size_t>(i)] = static_cast<uint8_t>(first + i);
    return data;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

class LinkFrameTest : public ::testing::Test {
protected:
    std::unique_ptr<LinkRS232> OpenLink(int form)
    {
        auto link = std::make_unique<LinkRS232>(layer, clock, form);
        EXPECT_EQ(link->Open(1, 38400, 'N', 8, 1), 1);
        line.calls.clear();
        line.output.clear();
        return link;
    }
    // The frames written since the last call, one per platform write.
    std::vector<size_t> WriteSizes() const
    {
        std::vector<size_t> sizes;
        for (const std::string& call : line.calls)
            if (call.rfind("WriteFile ", 0) == 0)
                sizes.push_back(std::stoul(call.substr(10)));
        return sizes;
    }

    FakePortLayer layer;
    VirtualTickClock clock;
    FakeLine& line = layer.line;
};

TEST_F(LinkFrameTest, FormOneCarriesItsCountFixedBytesAndTwoZeroBytes)
{
    const Bytes fixed = {0x41, 0x8C, 0x11, 0xEE, 0xEE, 0xFF, 0xFF, 0x00, 0x00, 0x22, 0x00, 0x46};
    struct Row { int n; const char* digits; };
    for (const Row& r : {Row{20, "035"}, Row{1, "016"}, Row{84, "099"}, Row{85, "100"},
                         Row{86, "101"}}) {
        SCOPED_TRACE(r.n);
        auto link = OpenLink(1);
        const Bytes data = Counting(r.n, 0x30);
        link->SendLinkBuffer(data.data(), r.n);
        EXPECT_EQ(line.output, Cat({Text(std::string("<$:P") + r.digits), fixed,
                                    {static_cast<uint8_t>(r.n)}, data, {0x00, 0x00}}));
        EXPECT_EQ(WriteSizes(), (std::vector<size_t>{static_cast<size_t>(r.n) + 22}));
    }
}

TEST_F(LinkFrameTest, FormTwoCarriesTheCountersWhichRunFrom11To255)
{
    auto link = OpenLink(2);
    const Bytes data = Counting(20, 0x80);
    link->SendLinkBuffer(data.data(), 20);
    link->SendLinkBuffer(data.data(), 3);
    const auto frame = [&](uint8_t s1, uint8_t s2, const Bytes& payload, const char* digits) {
        return Cat({Text(std::string("<$:P") + digits), {0x61, 0x88, s1, 0xAA, 0xAA, 0, 0, 0, 0, s2, 0x00}, payload,
                    {0x00, 0x00}});
    };
    EXPECT_EQ(line.output, Cat({frame(11, 50, data, "033"), frame(12, 51, Bytes(data.begin(), data.begin() + 3), "016")}));
    EXPECT_EQ(WriteSizes(), (std::vector<size_t>{40, 23}));

    // Both counters wrap past 255 to 11, each on its own.
    struct Row { uint8_t before1, before2, after1, after2; };
    for (const Row& r : {Row{255, 254, 11, 255}, Row{10, 0, 11, 11}, Row{254, 255, 255, 11}}) {
        link->m_frameSeq1 = r.before1;
        link->m_frameSeq2 = r.before2;
        line.output.clear();
        link->SendLinkBuffer(data.data(), 1);
        EXPECT_EQ(line.output[9], r.before1);
        EXPECT_EQ(line.output[16], r.before2);
        EXPECT_EQ(link->m_frameSeq1, r.after1);
        EXPECT_EQ(link->m_frameSeq2, r.after2);
    }
}

TEST_F(LinkFrameTest, LongBuffersGoOutAs86ByteFramesAndFormOneKeepsNoCounters)
{
    const Bytes data = Counting(200);
    for (int form : {1, 2}) {
        SCOPED_TRACE(form);
        auto link = OpenLink(form);
        link->SendLinkBuffer(data.data(), 200);
        const size_t extra = form == 1 ? 22 : 20;
        EXPECT_EQ(WriteSizes(), (std::vector<size_t>{86 + extra, 86 + extra, 28 + extra}));
        EXPECT_EQ(link->m_frameSeq1, form == 1 ? 11 : 14);
        EXPECT_EQ(link->m_frameSeq2, form == 1 ? 50 : 53);
    }
}

} // namespace
} // namespace tvqx::test
