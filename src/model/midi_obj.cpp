#include "model/midi_obj.h"

#include <algorithm>
#include <array>
#include <memory>

namespace tamsel {

void CMidiObj::Assign(std::span<const std::uint8_t> message)
{
    // Copy before releasing: `message` may be this event's own bytes.
    if (message.size() <= kInlineCapacity) {
        std::array<std::uint8_t, kInlineCapacity> copy{};
        std::copy(message.begin(), message.end(), copy.begin());
        Release();
        std::copy(copy.begin(), copy.end(), m_Bytes.inline_);
    } else {
        std::uint8_t* owned = CopyToHeap(message);
        Release();
        m_Bytes.heap = owned;
    }
    m_Length = static_cast<std::uint32_t>(message.size());
}

std::uint8_t* CMidiObj::CopyToHeap(std::span<const std::uint8_t> message)
{
    auto owned = std::make_unique<std::uint8_t[]>(message.size());
    std::copy(message.begin(), message.end(), owned.get());
    return owned.release();
}

void CMidiObj::FreeHeap(std::uint8_t* bytes) noexcept { std::unique_ptr<std::uint8_t[]> owned(bytes); }

}  // namespace tamsel
