#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "io/file.h"

namespace tamsel {

// A small buffered binary archive over an open file, in one direction.
// Storing archives must be closed (Close) to flush; the destructor only
// discards what is left, since it must not throw.
class CArchive {
public:
    enum class Mode { Load, Store };
    static constexpr std::size_t kBufferSize = 4096;

    CArchive(File& file, Mode mode) noexcept : m_File(file), m_Mode(mode) {}
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    ~CArchive() = default;

    [[nodiscard]] bool IsLoading() const noexcept { return m_Mode == Mode::Load; }
    [[nodiscard]] bool IsStoring() const noexcept { return m_Mode == Mode::Store; }

    // Reads up to `size` bytes; fewer only at the end of the file.
    std::size_t Read(void* buffer, std::size_t size);
    // Appends everything from the current position to the end of the file.
    void ReadRest(std::string& out);

    void Write(const void* buffer, std::size_t size)
    {
        if (size <= kBufferSize - m_Used) {
            const auto* bytes = static_cast<const std::uint8_t*>(buffer);
            std::copy(bytes, bytes + size, m_Buffer.data() + m_Used);
            m_Used += size;
        } else {
            WriteSlow(buffer, size);
        }
    }
    void WriteByte(std::uint8_t byte)
    {
        if (m_Used == kBufferSize) Flush();
        m_Buffer[m_Used++] = byte;
    }
    // Writes out what the buffer holds (store mode).
    void Flush();
    // Flushes a storing archive; the file stays open.
    void Close();

private:
    void WriteSlow(const void* buffer, std::size_t size);

    File& m_File;
    Mode m_Mode;
    std::array<std::uint8_t, kBufferSize> m_Buffer{};
    std::size_t m_Used = 0;  // store: bytes waiting; load: bytes filled
    std::size_t m_Next = 0;  // load: next unread byte
};

}  // namespace tamsel
