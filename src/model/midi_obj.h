#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>

namespace tamsel {

// One timed event: a delta time and one complete MIDI message, status byte
// first. Messages of up to 8 bytes (every channel message, tempo, end of
// track, the short resets) live inside the object, so they cost no heap
// allocation of their own. The short paths are inline: reading a file
// creates millions of these.
class CMidiObj {
public:
    static constexpr std::size_t kInlineCapacity = 8;

    CMidiObj() noexcept = default;
    CMidiObj(std::uint32_t delta, std::span<const std::uint8_t> message) : m_Delta(delta)
    {
        if (message.size() <= kInlineCapacity) {
            CopyInline(message);
        } else {
            m_Bytes.heap = CopyToHeap(message);
        }
        m_Length = static_cast<std::uint32_t>(message.size());
    }
    CMidiObj(CMidiObj&& other) noexcept
        : m_Delta(other.m_Delta), m_Length(std::exchange(other.m_Length, 0)), m_Bytes(other.m_Bytes)
    {
    }
    CMidiObj& operator=(CMidiObj&& other) noexcept
    {
        if (this != &other) {
            Release();
            m_Delta = other.m_Delta;
            m_Length = std::exchange(other.m_Length, 0);
            m_Bytes = other.m_Bytes;
        }
        return *this;
    }
    CMidiObj(const CMidiObj&) = delete;
    CMidiObj& operator=(const CMidiObj&) = delete;
    ~CMidiObj() { Release(); }

    // A deep copy, spelled out so that copies are never made by accident.
    [[nodiscard]] CMidiObj Clone() const { return CMidiObj(m_Delta, Data()); }

    [[nodiscard]] std::uint32_t Length() const noexcept { return m_Length; }
    [[nodiscard]] std::span<const std::uint8_t> Data() const noexcept
    {
        return {IsInline() ? m_Bytes.inline_ : m_Bytes.heap, m_Length};
    }
    // Replaces the message with a copy of `message`, which may be this
    // event's own bytes.
    void Assign(std::span<const std::uint8_t> message);

    std::uint32_t m_Delta = 0;

private:
    [[nodiscard]] bool IsInline() const noexcept { return m_Length <= kInlineCapacity; }
    void CopyInline(std::span<const std::uint8_t> message) noexcept
    {
        // Channel messages take the first branch; spelled out so that no
        // call to memcpy is made for three bytes.
        if (message.size() == 3) {
            m_Bytes.inline_[0] = message[0];
            m_Bytes.inline_[1] = message[1];
            m_Bytes.inline_[2] = message[2];
        } else {
            std::memcpy(m_Bytes.inline_, message.data(), message.size());
        }
    }
    [[nodiscard]] static std::uint8_t* CopyToHeap(std::span<const std::uint8_t> message);
    static void FreeHeap(std::uint8_t* bytes) noexcept;
    void Release() noexcept
    {
        if (!IsInline()) FreeHeap(m_Bytes.heap);
        m_Length = 0;
    }

    std::uint32_t m_Length = 0;
    union Bytes {
        std::uint8_t inline_[kInlineCapacity];
        std::uint8_t* heap;  // owned; used when m_Length > kInlineCapacity
    } m_Bytes{};
};

static_assert(sizeof(CMidiObj) == 16, "events must stay compact");

}  // namespace tamsel
