#include "pellomar/meta_text.h"

#include <algorithm>

#include "model/variable_length.h"

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

}  // namespace tamsel
