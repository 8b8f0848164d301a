#include <gtest/gtest.h>

#include <string>

#include "text/unicode.h"

namespace tamsel {
namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

void PrintTo(const Utf8Case& c, std::ostream* out) { *out << c.name; }

class Utf8ToUtf16Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToUtf16Test, Converts) { EXPECT_EQ(Utf8ToUtf16(GetParam().utf8), GetParam().utf16); }

INSTANTIATE_TEST_SUITE_P(
    Unicode, Utf8ToUtf16Test,
    ::testing::Values(Utf8Case{"Ascii", "tune.pmr", u"tune.pmr"},
                      Utf8Case{"TwoAndThreeBytes", "\xC3\xA9\xE6\x9B\xB2", u"\u00E9曲"},
                      Utf8Case{"FourBytesBecomeAPair", "\xF0\x9F\x98\x80", u"\U0001F600"},
                      Utf8Case{"LoneContinuation", "a\x80" "b", u"a\uFFFDb"},
                      // The byte that breaks a sequence starts afresh.
                      Utf8Case{"TruncatedSequence", "\xE6\x9B" "A", u"\uFFFDA"},
                      Utf8Case{"TruncatedAtEnd", "A\xE6", u"A\uFFFD"},
                      Utf8Case{"Overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
                      Utf8Case{"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD"},
                      Utf8Case{"BeyondUnicode", "\xF4\x90\x80\x80", u"\uFFFD"}));

class Utf16ToUtf8Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf16ToUtf8Test, Converts) { EXPECT_EQ(Utf16ToUtf8(GetParam().utf16), GetParam().utf8); }

INSTANTIATE_TEST_SUITE_P(
    Unicode, Utf16ToUtf8Test,
    ::testing::Values(Utf8Case{"Ascii", "abc", u"abc"},
                      Utf8Case{"TwoAndThreeBytes", "\xC3\xA9\xE6\x9B\xB2", u"\u00E9曲"},
                      Utf8Case{"Pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
                      Utf8Case{"LoneHighSurrogate", "\xEF\xBF\xBD" "a", u"\xD800" "a"},
                      Utf8Case{"LoneLowSurrogate", "\xEF\xBF\xBD", u"\xDC00"},
                      Utf8Case{"SwappedPair", "\xEF\xBF\xBD\xEF\xBF\xBD", u"\xDE00\xD83D"}));

}  // namespace
}  // namespace tamsel
