#include <gtest/gtest.h>

#include "pellomar/header_texts.h"

namespace tamsel {
namespace {

struct HeaderCase {
    const char* name;
    std::u16string text;
    std::u16string title;
    std::u16string builder;
    std::u16string comment;
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class PellomarHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(PellomarHeaderTest, Reads)
{
    const PellomarHeaderTexts texts = ReadPellomarHeaderTexts(GetParam().text, u"tune.pmr");
    EXPECT_EQ(texts.title, GetParam().title);
    EXPECT_EQ(texts.builder, GetParam().builder);
    EXPECT_EQ(texts.comment, GetParam().comment);
}

INSTANTIATE_TEST_SUITE_P(
    Pellomar, PellomarHeaderTest,
    ::testing::Values(
        HeaderCase{"AllThree", u"PLMR\r\nTitle=曲\r\nBuilder=作者\r\nComment=短い\r\n", u"曲", u"作者", u"短い"},
        HeaderCase{"NoTitleShowsFileName", u"PLMR\r\nBuilder=b\r\n", u"tune.pmr", u"b", u""},
        HeaderCase{"EmptyTitleShowsFileName", u"PLMR\r\nTitle=\r\n", u"tune.pmr", u"", u""},
        HeaderCase{"CommentEscapeBecomesLineBreak", u"PLMR\r\nComment=one\\r\\ntwo\r\n", u"tune.pmr", u"",
                   u"one\r\ntwo"},
        HeaderCase{"EscapesInARow", u"PLMR\r\nComment=\\r\\n\\r\\nx\\r\\n\r\n", u"tune.pmr", u"", u"\r\n\r\nx\r\n"},
        // Left to right without overlap: "\r\r\n" leaves the first "\r" alone.
        HeaderCase{"EscapeScanDoesNotOverlap", u"PLMR\r\nComment=a\\r\\r\\nb\r\n", u"tune.pmr", u"", u"a\\r\r\nb"},
        HeaderCase{"OtherEscapesStay", u"PLMR\r\nComment=\\t\\n\\r\r\n", u"tune.pmr", u"", u"\\t\\n\\r"},
        HeaderCase{"TitleAndBuilderKeepEscape", u"PLMR\r\nTitle=a\\r\\nb\r\nBuilder=c\\r\\nd\r\n", u"a\\r\\nb",
                   u"c\\r\\nd", u""},
        HeaderCase{"FirstKeyWins", u"PLMR\r\nTitle=A\r\nTitle=B\r\n", u"A", u"", u""}));

}  // namespace
}  // namespace tamsel
