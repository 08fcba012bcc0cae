// Console text is handed on in whole characters, at each line's end and on
// every flush: a console that is given UTF-16 must never get half of one.

#include "cli/Utf8Text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace tvqx::cli {
namespace {

struct Case {
    const char* name;
    std::vector<std::string> writes;   // "|" stands for a flush
    std::vector<std::string> handedOn;
};

class Utf8Text : public testing::TestWithParam<Case> {};

TEST_P(Utf8Text, HandsOnWholeCharactersAtLineEndsAndFlushes)
{
    std::vector<std::string> handedOn;
    Utf8TextBuffer buffer([&](std::string_view text) { handedOn.emplace_back(text); });
    std::ostream out(&buffer);
    for (const std::string& write : GetParam().writes) {
        if (write == "|")
            out.flush();
        else
            out << write;
    }
    EXPECT_EQ(handedOn, GetParam().handedOn);
}

// "Zoë" is 5A 6F C3 AB; "日" is E6 97 A5; "😀" is F0 9F 98 80.
INSTANTIATE_TEST_SUITE_P(Cases, Utf8Text, testing::Values(
    Case{"LinesWholeAndTheRestOnAFlush", {"one\ntwo\nthr", "|"}, {"one\ntwo\n", "thr"}},
    Case{"ACharacterSplitByAFlushWaitsForItsEnd", {"Zo\xC3", "|", "\xAB!", "|"}, {"Zo", "\xC3\xAB!"}},
    Case{"ThreeAndFourByteCharactersLikewise", {"\xE6\x97", "|", "\xA5\xF0\x9F\x98", "|", "\x80\n"},
                                                {"\xE6\x97\xA5", "\xF0\x9F\x98\x80\n"}},
    Case{"AProgressBarRedrawnInPlace", {"\r[##  ] 50 %", "|", "\r[####] 100 %\n"},
                                        {"\r[##  ] 50 %", "\r[####] 100 %\n"}},
    Case{"BytesThatAreNoUtf8GoOnAsTheyAre", {"\xFF\xFE", "|"}, {"\xFF\xFE"}},
    Case{"NothingToHandOnIsNotHandedOn", {"|", "\xC3", "|"}, {}}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

} // namespace
} // namespace tvqx::cli
