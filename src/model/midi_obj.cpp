#include "model/midi_obj.h"

#include <algorithm>
#include <array>
#include <memory>

namespace tamsel {

CMidiObj::CMidiObj(std::uint32_t delta, std::span<const std::uint8_t> message) : m_Delta(delta)
{
    Assign(message);
}

CMidiObj::CMidiObj(CMidiObj&& other) noexcept
    : m_Delta(other.m_Delta), m_Length(other.m_Length), m_Bytes(other.m_Bytes)
{
    other.m_Length = 0;
}

CMidiObj& CMidiObj::operator=(CMidiObj&& other) noexcept
{
    if (this != &other) {
        Release();
        m_Delta = other.m_Delta;
        m_Length = other.m_Length;
        m_Bytes = other.m_Bytes;
        other.m_Length = 0;
    }
    return *this;
}

CMidiObj::~CMidiObj() { Release(); }

CMidiObj CMidiObj::Clone() const { return CMidiObj(m_Delta, Data()); }

void CMidiObj::Assign(std::span<const std::uint8_t> message)
{
    // Copy before releasing: `message` may be this event's own bytes.
    if (message.size() <= kInlineCapacity) {
        std::array<std::uint8_t, kInlineCapacity> copy{};
        std::copy(message.begin(), message.end(), copy.begin());
        Release();
        std::copy(copy.begin(), copy.end(), m_Bytes.inline_);
    } else {
        auto owned = std::make_unique<std::uint8_t[]>(message.size());
        std::copy(message.begin(), message.end(), owned.get());
        Release();
        m_Bytes.heap = owned.release();
    }
    m_Length = static_cast<std::uint32_t>(message.size());
}

void CMidiObj::Release() noexcept
{
    if (!IsInline()) {
        std::unique_ptr<std::uint8_t[]> owned(m_Bytes.heap);
    }
    m_Length = 0;
}

}  // namespace tamsel
