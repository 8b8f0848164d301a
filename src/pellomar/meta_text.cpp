#include "pellomar/meta_text.h"

#include <algorithm>

#include "model/variable_length.h"
#include "text/code_page.h"

namespace tamsel {

std::vector<std::uint8_t> MetaTextEvent(std::uint8_t type, std::string_view text)
{
    const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), kVlqMax));
    std::vector<std::uint8_t> event(2 + VlqSize(length) + length);
    event[0] = 0xFF;
    event[1] = type;
    const std::size_t lengthBytes = EncodeVlq(length, event.data() + 2);
    std::copy_n(text.data(), length, event.data() + 2 + lengthBytes);
    return event;
}

std::vector<std::uint8_t> MetaTextMaker::Make(std::uint8_t type, std::u16string_view text)
{
    // A character takes at least one byte, so the limit is checked before
    // converting a text that could not fit anyway.
    if (text.size() > kMaxTextBytes - m_Bytes) throw SongTooLarge();
    const std::string bytes = m_CodePage.Encode(text);
    if (bytes.size() > kMaxTextBytes - m_Bytes) throw SongTooLarge();
    m_Bytes += bytes.size();
    return MetaTextEvent(type, bytes);
}

}  // namespace tamsel
