#include <gtest/gtest.h>

#include "pellomar/text_search.h"

namespace tamsel {
namespace {

struct ExtractCase {
    const char* name;
    std::u16string text;
    std::u16string start;
    std::u16string end;
    std::int64_t from;
    std::u16string expected;
};

void PrintTo(const ExtractCase& c, std::ostream* out) { *out << c.name; }

class ExtractBetweenTest : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractBetweenTest, Extracts)
{
    const ExtractCase& c = GetParam();
    EXPECT_EQ(ExtractBetween(c.text, c.start, c.end, c.from), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pellomar, ExtractBetweenTest,
    ::testing::Values(
        ExtractCase{"OneCharacterBetween", u"[%7:x]", u":", u"]", 0, u"x"},
        ExtractCase{"StartBeyondText", u"[%7:x]", u":", u"]", 7, u""},
        ExtractCase{"StartAtTextEnd", u"[%7:x]", u":", u"]", 6, u""},
        ExtractCase{"NegativeStart", u"[%7:x]", u":", u"]", -1, u""},
        ExtractCase{"NoEndMarker", u"[%7:xyz", u":", u"]", 0, u""},
        ExtractCase{"NoStartMarker", u"[%7]", u":", u"]", 0, u""},
        ExtractCase{"StartsAtPosition", u"a:1] b:2]", u":", u"]", 4, u"2"},
        ExtractCase{"ValueUpToCrLf", u"PLMR\r\nTitle=Song\r\n", u"Title=", u"\r\n", 0, u"Song"},
        ExtractCase{"FirstOfTwoKeys", u"Title=A\r\nTitle=B\r\n", u"Title=", u"\r\n", 0, u"A"},
        ExtractCase{"KeyFoundInsideLongerKey", u"11=x\r\n1=y\r\n", u"1=", u"\r\n", 0, u"x"},
        ExtractCase{"LoneLfIsPartOfValue", u"Title=a\nb\r\n", u"Title=", u"\r\n", 0, u"a\nb"},
        // The end marker is searched from the start marker itself, so one
        // overlapping it yields a negative count: an empty result.
        ExtractCase{"EndMarkerInsideStartMarker", u"ab=c", u"ab=", u"b", 0, u""}));

}  // namespace
}  // namespace tamsel
