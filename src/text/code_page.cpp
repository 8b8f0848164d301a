#include "text/code_page.h"

#include <bit>
#include <cerrno>
#include <stdexcept>

namespace tamsel {

namespace {

constexpr const char* kAnsiName = "CP932";
constexpr const char* kUtf16Name = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char16_t kReplacement = u'\uFFFD';

iconv_t OpenConverter(const char* to, const char* from)
{
    iconv_t descriptor = ::iconv_open(to, from);
    if (descriptor == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    return descriptor;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

AnsiCodePage::AnsiCodePage()
    : m_ToUtf16(OpenConverter(kUtf16Name, kAnsiName))
{
    try {
        m_FromUtf16 = OpenConverter(kAnsiName, kUtf16Name);
    } catch (...) {
        ::iconv_close(m_ToUtf16);
        throw;
    }
}

AnsiCodePage::~AnsiCodePage()
{
    ::iconv_close(m_ToUtf16);
    ::iconv_close(m_FromUtf16);
}

std::u16string AnsiCodePage::Decode(std::string_view bytes)
{
    const std::size_t end = std::min(bytes.find('\0'), bytes.size());
    std::u16string out;
    out.reserve(end);
    std::size_t i = 0;
    while (i < end) {
        // ASCII maps to itself, so it skips iconv.
        while (i < end && static_cast<unsigned char>(bytes[i]) < 0x80) out.push_back(static_cast<char16_t>(bytes[i++]));
        if (i == end) break;
        // Bytes below 0x40 are never the second byte of a double-byte
        // character, so a run can be cut before one without splitting a pair.
        std::size_t runEnd = i;
        while (runEnd < end && static_cast<unsigned char>(bytes[runEnd]) >= 0x40) ++runEnd;
        // Every byte yields at most one UTF-16 unit.
        const std::size_t base = out.size();
        out.resize(base + (runEnd - i));
        char* in = const_cast<char*>(bytes.data() + i);
        std::size_t inLeft = runEnd - i;
        char* target = reinterpret_cast<char*>(out.data() + base);
        std::size_t targetLeft = inLeft * sizeof(char16_t);
        ::iconv(m_ToUtf16, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            if (::iconv(m_ToUtf16, &in, &inLeft, &target, &targetLeft) != static_cast<std::size_t>(-1)) break;
            // EILSEQ (not CP932) or EINVAL (a lead byte with nothing after it).
            *reinterpret_cast<char16_t*>(target) = kReplacement;
            target += sizeof(char16_t);
            targetLeft -= sizeof(char16_t);
            ++in;
            --inLeft;
            ::iconv(m_ToUtf16, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(static_cast<std::size_t>(reinterpret_cast<char16_t*>(target) - out.data()));
        i = runEnd;
    }
    return out;
}

std::string AnsiCodePage::Encode(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] < 0x80) out.push_back(static_cast<char>(text[i++]));
        if (i == text.size()) break;
        std::size_t runEnd = i;
        while (runEnd < text.size() && text[runEnd] >= 0x80) ++runEnd;
        // A character is at most two bytes in CP932 and takes at least one unit.
        const std::size_t base = out.size();
        out.resize(base + 2 * (runEnd - i));
        char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data() + i));
        std::size_t inLeft = (runEnd - i) * sizeof(char16_t);
        char* target = out.data() + base;
        std::size_t targetLeft = 2 * (runEnd - i);
        ::iconv(m_FromUtf16, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            if (::iconv(m_FromUtf16, &in, &inLeft, &target, &targetLeft) != static_cast<std::size_t>(-1)) break;
            // One "?" for each character CP932 lacks; a surrogate pair is one character.
            const auto* unit = reinterpret_cast<const char16_t*>(in);
            std::size_t skip = 1;
            if (inLeft >= 2 * sizeof(char16_t) && IsHighSurrogate(unit[0]) && IsLowSurrogate(unit[1])) skip = 2;
            *target++ = '?';
            --targetLeft;
            in += skip * sizeof(char16_t);
            inLeft -= skip * sizeof(char16_t);
            ::iconv(m_FromUtf16, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(static_cast<std::size_t>(target - out.data()));
        i = runEnd;
    }
    return out;
}

std::u16string AnsiToUtf16(std::string_view bytes)
{
    AnsiCodePage codePage;
    return codePage.Decode(bytes);
}

std::string Utf16ToAnsi(std::u16string_view text)
{
    AnsiCodePage codePage;
    return codePage.Encode(text);
}

}  // namespace tamsel
