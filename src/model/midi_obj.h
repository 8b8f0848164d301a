#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tamsel {

// One timed event: a delta time and one complete MIDI message, status byte
// first. Messages of up to 8 bytes (every channel message, tempo, end of
// track, the short resets) live inside the object, so they cost no heap
// allocation of their own.
class CMidiObj {
public:
    static constexpr std::size_t kInlineCapacity = 8;

    CMidiObj() noexcept = default;
    CMidiObj(std::uint32_t delta, std::span<const std::uint8_t> message);
    CMidiObj(CMidiObj&& other) noexcept;
    CMidiObj& operator=(CMidiObj&& other) noexcept;
    CMidiObj(const CMidiObj&) = delete;
    CMidiObj& operator=(const CMidiObj&) = delete;
    ~CMidiObj();

    // A deep copy, spelled out so that copies are never made by accident.
    [[nodiscard]] CMidiObj Clone() const;

    [[nodiscard]] std::uint32_t Length() const noexcept { return m_Length; }
    [[nodiscard]] std::span<const std::uint8_t> Data() const noexcept
    {
        return {IsInline() ? m_Bytes.inline_ : m_Bytes.heap, m_Length};
    }
    // Replaces the message with a copy of `message`.
    void Assign(std::span<const std::uint8_t> message);

    std::uint32_t m_Delta = 0;

private:
    [[nodiscard]] bool IsInline() const noexcept { return m_Length <= kInlineCapacity; }
    void Release() noexcept;

    std::uint32_t m_Length = 0;
    union Bytes {
        std::uint8_t inline_[kInlineCapacity];
        std::uint8_t* heap;  // owned; used when m_Length > kInlineCapacity
    } m_Bytes{};
};

static_assert(sizeof(CMidiObj) == 16, "events must stay compact");

}  // namespace tamsel
