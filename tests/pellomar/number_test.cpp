#include <gtest/gtest.h>

#include "pellomar/number.h"

namespace tamsel {
namespace {

struct NumberCase {
    const char* name;
    std::u16string text;
    std::int32_t expected;
};

void PrintTo(const NumberCase& c, std::ostream* out) { *out << c.name; }

class ParseNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumberTest, Reads) { EXPECT_EQ(ParseNumber(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Pellomar, ParseNumberTest,
    ::testing::Values(
        NumberCase{"Plain", u"480", 480},
        NumberCase{"LeadingWhiteSpace", u" \t\v\f\r\n480", 480},
        NumberCase{"IdeographicSpace", u"\u3000" u"12", 12},
        NumberCase{"TrailingLetters", u"480abc", 480},
        NumberCase{"Plus", u"+7", 7},
        NumberCase{"Minus", u"-120", -120},
        NumberCase{"SignWithoutDigits", u"-x", 0},
        NumberCase{"TwoSigns", u"+-5", 0},
        NumberCase{"SpaceAfterSign", u"- 5", 0},
        NumberCase{"NoDigits", u"abc", 0},
        NumberCase{"Empty", u"", 0},
        NumberCase{"SeparatorIsNotSpace", u"\x1C" u"5", 0},
        NumberCase{"Fullwidth", u"４８０", 480},
        NumberCase{"ArabicIndic", u"\u0661\u0662", 12},
        NumberCase{"ExtendedArabicIndic", u"\u06F9", 9},
        NumberCase{"Devanagari", u"\u0966\u096F", 9},
        NumberCase{"Bengali", u"\u09E7", 1},
        NumberCase{"Gurmukhi", u"\u0A68", 2},
        NumberCase{"Gujarati", u"\u0AE9", 3},
        NumberCase{"Oriya", u"\u0B6A", 4},
        NumberCase{"Telugu", u"\u0C6B", 5},
        NumberCase{"Kannada", u"\u0CEC", 6},
        NumberCase{"Malayalam", u"\u0D6D", 7},
        NumberCase{"Thai", u"\u0E58", 8},
        NumberCase{"Lao", u"\u0ED9", 9},
        NumberCase{"Tibetan", u"\u0F21\u0F20", 10},
        NumberCase{"Myanmar", u"\u1041", 1},
        NumberCase{"Khmer", u"\u17E2", 2},
        NumberCase{"Mongolian", u"\u1813", 3},
        NumberCase{"MixedScripts", u"1\uFF12\u0663", 123},
        NumberCase{"JustPastARun", u"\u066A", 0},
        NumberCase{"JustBeforeARun", u"\uFF0F", 0},
        NumberCase{"Largest", u"2147483647", 2147483647},
        NumberCase{"Smallest", u"-2147483648", -2147483647 - 1},
        NumberCase{"ClampedHigh", u"2147483648", 2147483647},
        NumberCase{"ClampedLow", u"-2147483649", -2147483647 - 1},
        NumberCase{"ManyDigits", u"99999999999999999999999999", 2147483647},
        NumberCase{"ManyDigitsNegative", u"-99999999999999999999999999", -2147483647 - 1}));

struct FieldCase {
    const char* name;
    std::u16string line;
    std::size_t bracket;
    std::size_t offset;
    std::size_t width;
    std::int32_t expected;
};

void PrintTo(const FieldCase& c, std::ostream* out) { *out << c.name; }

class NumericFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(NumericFieldTest, Reads)
{
    const FieldCase& c = GetParam();
    EXPECT_EQ(NumericField(c.line, c.bracket, c.offset, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pellomar, NumericFieldTest,
    ::testing::Values(
        FieldCase{"CommandNumberEndsAtColon", u"[%2:text]", 0, 2, 3, 2},
        FieldCase{"TwoDigitCommand", u"[#30:bpm]", 0, 2, 3, 30},
        FieldCase{"ThreeDigitCommand", u"[#300]", 0, 2, 3, 300},
        FieldCase{"FieldWidthCuts", u"[%18:1920]", 0, 5, 3, 192},
        FieldCase{"ReadsPastCloseBracket", u"[#30:120]--", 0, 5, 4, 120},
        FieldCase{"CutAtLineEnd", u"[#30:12", 0, 5, 4, 12},
        FieldCase{"StartsAtLineEnd", u"[#30", 0, 4, 4, 0},
        FieldCase{"StartsBeyondLineEnd", u"[#", 0, 5, 4, 0},
        FieldCase{"FromLaterBracket", u"--[%5:064]", 2, 4, 3, 64},
        FieldCase{"LeadingZeroShiftsField", u"[%03:025]", 0, 4, 3, 0}));

}  // namespace
}  // namespace tamsel
