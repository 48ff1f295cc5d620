// The output image a writer builds a MIDI file in: bytes, write position and capacity. The buffer has one;
// the per-channel writer keeps one per channel so that a track is read once for all its channel files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

namespace corvina {

class CMidiWriteImage {
public:
    CMidiWriteImage();
    virtual ~CMidiWriteImage();
    CMidiWriteImage(CMidiWriteImage&&) noexcept;
    CMidiWriteImage& operator=(CMidiWriteImage&&) noexcept;

    // Frees the image; position and capacity go back to 0.
    void Clear();
    // Sets the write position (also used to leave room for a chunk length and come back).
    void SetWritePos(std::int64_t pos) { m_nWritePos = pos; }
    std::int64_t GetWritePos() const { return m_nWritePos; }
    // Most bytes the output may take; a write that would pass it fails.
    void SetWriteCapacity(std::int64_t capacity) { m_nWriteCapacity = capacity; }
    std::int64_t GetWriteCapacity() const { return m_nWriteCapacity; }
    // Readies the image for the current capacity; false when the capacity is negative or no memory is left.
    bool Allocate();

    // Fails when the write position has reached the capacity.
    bool WriteByte(std::uint8_t value)
    {
        if (m_nWritePos >= 0 && m_nWritePos < m_nWriteAllocated && m_nWritePos < m_nWriteCapacity) {
            m_pImage[static_cast<std::size_t>(m_nWritePos++)] = value;
            return true;
        }
        std::uint8_t* at = Reserve(1);
        if (!at)
            return false;
        *at = value;
        return true;
    }
    // Low n bytes (0 to 4) of value, most significant first.
    bool WriteNumber(std::uint32_t value, int n);
    bool WriteString(std::string_view text);
    // Copies length bytes of source (sourceSize bytes long) from offset; length < 1 writes nothing and
    // succeeds; a range outside the source or past the capacity writes nothing and fails.
    bool CopyFrom(const std::uint8_t* source, std::int64_t sourceSize, std::int64_t offset, std::int64_t length)
    {
        if (length < 1)
            return true;
        if (offset < 0 || offset > sourceSize - length)
            return false;
        std::uint8_t* to = Reserve(length);
        if (!to)
            return false;
        const std::uint8_t* from = source + offset;
        // Events are a few bytes long: a plain loop beats a library call for them.
        if (length <= 8) {
            for (std::int64_t i = 0; i < length; ++i)
                to[i] = from[i];
        } else {
            CopyBytes(to, from, length);
        }
        return true;
    }
    // Room for n more bytes at the write position: moves past them and returns where to put them, or
    // nullptr (and no move) when they would pass the capacity or no memory is left.
    std::uint8_t* Reserve(std::int64_t n)
    {
        if (n < 0 || m_nWritePos < 0 || n > m_nWriteCapacity - m_nWritePos)
            return nullptr;
        if (n > m_nWriteAllocated - m_nWritePos && !Grow(m_nWritePos + n))
            return nullptr;
        std::uint8_t* at = &m_pImage[static_cast<std::size_t>(m_nWritePos)];
        m_nWritePos += n;
        return at;
    }
    // Variable-length quantity of at most four bytes; values above 0x0FFFFFFF fail.
    bool WriteVarLength(std::uint32_t value);
    // Writes bytes 0 to the write position to an open file; false on a file error.
    bool Flush(std::FILE* file) const;
    // The output built so far (bytes 0 to the write position).
    std::string_view GetWrittenBytes() const;

private:
    // Makes at least `needed` bytes (at most the capacity) usable, keeping what was written.
    bool Grow(std::int64_t needed);
    static void CopyBytes(std::uint8_t* to, const std::uint8_t* from, std::int64_t length);

    std::unique_ptr<std::uint8_t[]> m_pImage;
    std::int64_t m_nWritePos = 0;
    std::int64_t m_nWriteCapacity = 0;
    // Bytes allocated so far. The image grows as it is written: the capacity is a limit (twice the
    // source for a per-channel file), and allocating it whole for every channel would reserve tens of
    // times the file's size.
    std::int64_t m_nWriteAllocated = 0;
};

} // namespace corvina
