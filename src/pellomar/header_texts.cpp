#include "pellomar/header_texts.h"

#include "pellomar/text_search.h"

namespace tamsel {

namespace {

constexpr std::u16string_view kValueEnd = u"\r\n";

}  // namespace

std::u16string UnescapeLineBreaks(std::u16string_view comment)
{
    constexpr std::u16string_view kEscape = u"\\r\\n";
    std::u16string out;
    out.reserve(comment.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = comment.find(kEscape, from);
        if (at == std::u16string_view::npos) break;
        out.append(comment.substr(from, at - from));
        out.append(kValueEnd);
        from = at + kEscape.size();
    }
    out.append(comment.substr(from));
    return out;
}

PellomarHeaderTexts ReadPellomarHeaderTexts(std::u16string_view text, std::u16string_view fileName)
{
    PellomarHeaderTexts texts;
    texts.title = ExtractBetween(text, u"Title=", kValueEnd, 0);
    if (texts.title.empty()) texts.title = fileName;
    texts.builder = ExtractBetween(text, u"Builder=", kValueEnd, 0);
    texts.comment = UnescapeLineBreaks(ExtractBetweenView(text, u"Comment=", kValueEnd, 0));
    return texts;
}

}  // namespace tamsel
