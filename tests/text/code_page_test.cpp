#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"

namespace tamsel {
namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string text;
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.name; }

class AnsiDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(AnsiDecodeTest, Decodes) { EXPECT_EQ(AnsiToUtf16(GetParam().bytes), GetParam().text); }

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    CodePage, AnsiDecodeTest,
    ::testing::Values(
        DecodeCase{"Ascii", "Title=abc", u"Title=abc"},
        DecodeCase{"BackslashAndTildeStayAscii", "\\r\\n~", u"\\r\\n~"},
        DecodeCase{"DoubleByte", "\x82\xA0\x83\x5C", u"あソ"},  // 5C as a second byte is not a backslash
        DecodeCase{"HalfWidthKatakana", "\xB1\xDD", u"ｱﾝ"},
        DecodeCase{"IdeographicSpaceAndFullwidthDigit", "\x81\x40\x82\x4F", u"\u3000０"},
        DecodeCase{"MixedRuns", "a\x82\xA0-\x82\xA2]", u"aあ-い]"},
        DecodeCase{"EndsAtFirstNul", "ab\0cd"s, u"ab"},
        DecodeCase{"NulAfterDoubleByte", "\x82\xA0\0\x82\xA2"s, u"あ"},
        DecodeCase{"InvalidSingleByte", "a\x80z", u"a\uFFFDz"},
        DecodeCase{"InvalidHighBytes", "\xA0\xFD\xFE\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        // The byte after a broken lead byte is read afresh, so a "-" survives.
        DecodeCase{"LeadByteWithoutTrail", "\x81-", u"\uFFFD-"},
        DecodeCase{"UnmappedPair", "\x85\x40", u"\uFFFD@"},
        DecodeCase{"LeadByteAtEnd", "A\x82", u"A\uFFFD"},
        DecodeCase{"LeadByteBeforeNul", "A\x82\0B"s, u"A\uFFFD"},
        DecodeCase{"Empty", "", u""}));

TEST(AnsiDecode, EveryAsciiByteIsItself)
{
    std::string bytes;
    std::u16string text;
    for (int c = 1; c < 0x80; ++c) {
        bytes.push_back(static_cast<char>(c));
        text.push_back(static_cast<char16_t>(c));
    }
    EXPECT_EQ(AnsiToUtf16(bytes), text);
}

struct EncodeCase {
    const char* name;
    std::u16string text;
    std::string bytes;
};

void PrintTo(const EncodeCase& c, std::ostream* out) { *out << c.name; }

class AnsiEncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(AnsiEncodeTest, Encodes) { EXPECT_EQ(Utf16ToAnsi(GetParam().text), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    CodePage, AnsiEncodeTest,
    ::testing::Values(
        EncodeCase{"Ascii", u"Intro \\ ~", "Intro \\ ~"},
        EncodeCase{"DoubleByte", u"タイ", "\x83\x5E\x83\x43"},
        EncodeCase{"HalfWidthKatakana", u"ｱ", "\xB1"},
        EncodeCase{"UnrepresentableIsQuestionMark", u"a\u00E9b", "a?b"},
        EncodeCase{"ReplacementCharacter", u"\uFFFD", "?"},
        EncodeCase{"SurrogatePairIsOneCharacter", u"x\U0001F600y", "x?y"},
        EncodeCase{"LoneSurrogates", u"\xD800-\xDC00", "?-?"},
        EncodeCase{"HighSurrogateAtEnd", u"\xD83D", "?"},
        EncodeCase{"MixedRuns", u"あ\u00E9い-", "\x82\xA0?\x82\xA2-"},
        EncodeCase{"NulIsKept", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        EncodeCase{"Empty", u"", ""}));

TEST(AnsiCodePage, RoundTripsWhatItDecodes)
{
    AnsiCodePage codePage;
    const std::string bytes = "PLMR\r\nTitle=\x83\x65\x83\x58\x83\x67 \xB1 \x81\x40 ok\r\n";
    EXPECT_EQ(codePage.Encode(codePage.Decode(bytes)), bytes);
}

}  // namespace
}  // namespace tamsel
