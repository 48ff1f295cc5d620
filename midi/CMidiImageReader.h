// A read cursor over a file image that was loaded before: the same reads as the buffer's, without the
// parse log. Writers use it to read a track's events again instead of keeping a record of each.
#pragma once

#include <cstdint>

namespace corvina {

class CMidiImageReader {
public:
    CMidiImageReader(const std::uint8_t* pImage, std::int32_t nSize, std::int64_t nPos)
        : m_pImage(pImage), m_nReadSize(nSize), m_nReadPos(nPos)
    {
    }

    std::int64_t GetReadPos() const { return m_nReadPos; }
    void SetReadPos(std::int64_t pos) { m_nReadPos = pos; }
    std::int32_t GetReadSize() const { return m_nReadSize; }
    bool MoreData() const { return m_nReadPos < m_nReadSize; }
    // Byte at the read position, moving past it when `advance`; 0 and no move outside the data.
    std::uint8_t ReadByte(bool advance)
    {
        if (m_nReadPos < 0 || m_nReadPos >= m_nReadSize)
            return 0;
        const std::uint8_t value = m_pImage[m_nReadPos];
        if (advance)
            ++m_nReadPos;
        return value;
    }
    // Big-endian number of n bytes (1 to 4); 0 and no move when fewer remain; other n: 0, moves n.
    std::uint32_t ReadNumber(int n)
    {
        if (n < 1 || n > 4) {
            m_nReadPos += n;
            return 0;
        }
        if (m_nReadPos < 0 || m_nReadSize - m_nReadPos < n)
            return 0;
        std::uint32_t value = 0;
        for (int i = 0; i < n; ++i)
            value = (value << 8) | m_pImage[m_nReadPos + i];
        m_nReadPos += n;
        return value;
    }
    // Variable-length quantity without a length limit (the value wraps); false and no move when the
    // data ends inside it.
    bool ReadVarLength(std::uint32_t& value)
    {
        std::int64_t pos = m_nReadPos;
        if (pos < 0 || pos >= m_nReadSize)
            return false;
        std::uint8_t byte = m_pImage[pos++];
        std::uint32_t result = byte & 0x7Fu;
        while (byte & 0x80u) {
            if (pos >= m_nReadSize)
                return false;
            byte = m_pImage[pos++];
            result = (result << 7) + (byte & 0x7Fu);
        }
        m_nReadPos = pos;
        value = result;
        return true;
    }
    // The image was read once already, with its log: nothing is logged again.
    void LogField(const char*, std::int64_t) {}
    void LogError(const char*) {}

private:
    const std::uint8_t* m_pImage;
    std::int32_t m_nReadSize;
    std::int64_t m_nReadPos;
};

} // namespace corvina
