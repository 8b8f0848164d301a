#include "io/archive.h"

#include <algorithm>
#include <cassert>

namespace tamsel {

std::size_t CArchive::Read(void* buffer, std::size_t size)
{
    assert(IsLoading());
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        if (m_Next == m_Used) {
            if (size - done >= kBufferSize) return done + m_File.Read(out + done, size - done);
            m_Used = m_File.Read(m_Buffer.data(), kBufferSize);
            m_Next = 0;
            if (m_Used == 0) break;
        }
        const std::size_t take = std::min(size - done, m_Used - m_Next);
        std::copy_n(m_Buffer.data() + m_Next, take, out + done);
        m_Next += take;
        done += take;
    }
    return done;
}

void CArchive::ReadRest(std::string& out)
{
    assert(IsLoading());
    out.append(reinterpret_cast<const char*>(m_Buffer.data() + m_Next), m_Used - m_Next);
    m_Next = m_Used = 0;
    std::array<std::uint8_t, 65536> chunk;
    for (;;) {
        const std::size_t got = m_File.Read(chunk.data(), chunk.size());
        out.append(reinterpret_cast<const char*>(chunk.data()), got);
        if (got < chunk.size()) break;
    }
}

void CArchive::WriteSlow(const void* buffer, std::size_t size)
{
    Flush();
    if (size >= kBufferSize) {
        m_File.Write(buffer, size);
    } else {
        Write(buffer, size);
    }
}

void CArchive::Flush()
{
    if (IsStoring() && m_Used > 0) {
        m_File.Write(m_Buffer.data(), m_Used);
        m_Used = 0;
    }
}

void CArchive::Close() { Flush(); }

}  // namespace tamsel
