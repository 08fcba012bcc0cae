// The judge of what the program sent: it must accept every correct transfer
// (resends included) and refuse one that left anything out, or it would
// excuse a false success as the line's doing.

#include "TransferCheck.h"

#include "sim/BootLoaderEntry.h"
#include "tests/app/UpdateFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tvqx::campaign {
namespace {

constexpr size_t kPage = 4;   // small pages keep the cases readable

std::vector<uint8_t> Frame(uint16_t page, const std::vector<uint8_t>& image)
{
    std::vector<uint8_t> frame{static_cast<uint8_t>(page >> 8), static_cast<uint8_t>(page)};
    uint8_t sum = 0;
    for (size_t i = 0; i < kPage; ++i) {
        frame.push_back(image[page * kPage + i]);
        sum = static_cast<uint8_t>(sum + image[page * kPage + i]);
    }
    frame.push_back(sum);
    return frame;
}

struct PagesCase {
    const char* name;
    std::vector<int> pages;   // frames in the order sent; -1 the end marker
    bool whole;
    std::function<void(std::vector<uint8_t>&)> spoil = nullptr;
};

TEST(SentWholeImageInPages, JudgesTheFramesAfterTheLastEntryCommand)
{
    const std::vector<uint8_t> image{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};   // 3 pages
    const PagesCase cases[] = {
        {"in order", {0, 1, 2, -1}, true},
        {"with resends", {0, 0, 1, 1, 1, 2, -1}, true},
        {"a page left out", {0, 2, -1}, false},
        {"no end marker", {0, 1, 2}, false},
        {"ended early", {0, 1, -1}, false},
        {"a page sent after the next", {0, 1, 0, 2, -1}, false},
        {"a wrong checksum", {0, 1, 2, -1}, false, [](auto& w) { w[w.size() - 3] ^= 1; }},
        {"a wrong data byte", {0, 1, 2, -1}, false, [](auto& w) { w[w.size() - 5] ^= 1; }},
    };
    for (const PagesCase& c : cases) {
        std::vector<uint8_t> written{0xC0, 0xC0};   // polls before the entry
        const std::string entry = sim::kBootEntryCommand;
        written.insert(written.end(), entry.begin(), entry.end());
        for (int p : c.pages) {
            const std::vector<uint8_t> bytes = p < 0 ? std::vector<uint8_t>{0xFF, 0xFF} : Frame(uint16_t(p), image);
            written.insert(written.end(), bytes.begin(), bytes.end());
        }
        if (c.spoil)
            c.spoil(written);
        EXPECT_EQ(SentWholeImageInPages(written, image, kPage), c.whole) << c.name;
    }
}

TEST(SentWholeHexInRows, WantsEveryLineAfterTheLastEntryCommand)
{
    const std::string hex = testing::MakeHex({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
    std::string rows;
    for (size_t at = 0, end; (end = hex.find("\r\n", at)) != std::string::npos; at = end + 2)
        rows += hex.substr(at, end - at);
    const std::string entry = sim::kBootEntryCommand;
    auto judge = [&](const std::string& sent) {
        return SentWholeHexInRows(std::vector<uint8_t>(sent.begin(), sent.end()), hex);
    };
    EXPECT_TRUE(judge(entry + rows));
    EXPECT_TRUE(judge("junk" + entry + "half" + entry + rows + "\x1B\x1B<W"));
    EXPECT_FALSE(judge(entry + rows.substr(0, rows.size() - 1)));
    EXPECT_FALSE(judge(entry + rows.substr(1)));
    EXPECT_FALSE(judge(rows));
}

} // namespace
} // namespace tvqx::campaign
