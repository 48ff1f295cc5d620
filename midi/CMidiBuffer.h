// The byte image of one MIDI file with its read cursor, the output image of the writer and the parse log.
// Every read checks its bounds, so no input can make the reader look outside the image.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace corvina {

class CMidiBuffer {
public:
    CMidiBuffer();
    virtual ~CMidiBuffer();
    CMidiBuffer(const CMidiBuffer&) = delete;
    CMidiBuffer& operator=(const CMidiBuffer&) = delete;

    // Frees both images, sets the read position to 0 and empties the parse log.
    void Clear();

    // ---- Read side ----
    // Allocates an uninitialised read image of `size` bytes (size > 0); false when that fails.
    bool CreateReadImage(std::int32_t size);
    // The read image, for the one read of the file (nullptr before CreateReadImage).
    std::uint8_t* GetReadImage() { return m_pReadImage.get(); }
    const std::uint8_t* GetReadImage() const { return m_pReadImage.get(); }
    // Number of bytes in the read image.
    std::int32_t GetReadSize() const { return m_nReadSize; }
    // Index of the next byte to read (kept wide so a huge skip never wraps it backwards).
    std::int64_t GetReadPos() const { return m_nReadPos; }
    // Moves the read cursor; the reads themselves refuse positions outside the image.
    void SetReadPos(std::int64_t pos) { m_nReadPos = pos; }
    // Byte at the read position, moving past it when `advance`; 0 and no move at the end of the data.
    std::uint8_t ReadByte(bool advance)
    {
        if (m_nReadPos < 0 || m_nReadPos >= m_nReadSize)
            return 0;
        const std::uint8_t value = m_pReadImage[static_cast<std::size_t>(m_nReadPos)];
        if (advance)
            ++m_nReadPos;
        return value;
    }
    // Big-endian number of n bytes (1 to 4); 0 and no move when fewer remain; other n: 0, moves n.
    std::uint32_t ReadNumber(int n);
    // n bytes as text; empty and no move when fewer remain.
    std::string ReadString(int n);
    // Variable-length quantity; on failure logs "ReadVarLength failed" and does not move.
    bool ReadVarLength(std::uint32_t& value)
    {
        // Most deltas are one byte.
        if (m_nReadPos >= 0 && m_nReadPos < m_nReadSize) {
            const std::uint8_t first = m_pReadImage[static_cast<std::size_t>(m_nReadPos)];
            if ((first & 0x80u) == 0) {
                ++m_nReadPos;
                value = first;
                return true;
            }
        }
        return ReadLongVarLength(value);
    }
    // True while the read position is inside the data.
    bool MoreData() const { return m_nReadPos < m_nReadSize; }
    // Byte of the read image at `offset`, 0 outside the image (for the event predicates).
    std::uint8_t ByteAt(std::int64_t offset) const
    {
        return (offset >= 0 && offset < m_nReadSize) ? m_pReadImage[static_cast<std::size_t>(offset)] : 0;
    }

    // ---- Parse log ----
    // Appends "name value (pos, hexpos)\n".
    void LogField(const char* name, std::int64_t value);
    // Appends "message\npos: ".
    void LogError(const char* message);
    // Everything logged since the last Clear.
    const std::string& GetParseLog() const { return m_strParseLog; }

    // ---- Write side ----
    // Sets the write position (also used to leave room for a chunk length and come back).
    void SetWritePos(std::int64_t pos) { m_nWritePos = pos; }
    std::int64_t GetWritePos() const { return m_nWritePos; }
    void SetWriteCapacity(std::int64_t capacity) { m_nWriteCapacity = capacity; }
    std::int64_t GetWriteCapacity() const { return m_nWriteCapacity; }
    // Makes the write image hold the current capacity; false when that cannot be allocated.
    bool AllocateWriteImage();
    // Fails when the write position has reached the capacity.
    bool WriteByte(std::uint8_t value)
    {
        if (m_nWritePos < 0 || m_nWritePos >= m_nWriteCapacity || m_nWritePos >= m_nWriteAllocated)
            return false;
        m_pWriteImage[static_cast<std::size_t>(m_nWritePos++)] = value;
        return true;
    }
    // Low n bytes (0 to 4) of value, most significant first.
    bool WriteNumber(std::uint32_t value, int n);
    bool WriteString(std::string_view text);
    // Copies length bytes of the read image from offset; length < 1 writes nothing and succeeds.
    bool CopyRange(std::int64_t offset, std::int64_t length)
    {
        if (length < 1)
            return true;
        if (offset < 0 || offset > m_nReadSize - length || m_nWritePos < 0 ||
            length > m_nWriteCapacity - m_nWritePos || length > m_nWriteAllocated - m_nWritePos)
            return false;
        std::uint8_t* to = &m_pWriteImage[static_cast<std::size_t>(m_nWritePos)];
        const std::uint8_t* from = &m_pReadImage[static_cast<std::size_t>(offset)];
        // Events are a few bytes long: a plain loop beats a library call for them.
        if (length <= 8) {
            for (std::int64_t i = 0; i < length; ++i)
                to[i] = from[i];
        } else {
            CopyBytes(to, from, length);
        }
        m_nWritePos += length;
        return true;
    }
    // Room for n more bytes at the write position: moves past them and returns where to put them, or
    // nullptr (and no move) when they would pass the capacity.
    std::uint8_t* Reserve(std::int64_t n)
    {
        if (!m_pWriteImage || n < 0 || m_nWritePos < 0 || n > m_nWriteCapacity - m_nWritePos ||
            n > m_nWriteAllocated - m_nWritePos)
            return nullptr;
        std::uint8_t* at = &m_pWriteImage[static_cast<std::size_t>(m_nWritePos)];
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
    bool ReadLongVarLength(std::uint32_t& value);
    static void CopyBytes(std::uint8_t* to, const std::uint8_t* from, std::int64_t length);

    std::unique_ptr<std::uint8_t[]> m_pReadImage;
    std::int64_t m_nReadPos = 0;
    std::int32_t m_nReadSize = 0;
    std::unique_ptr<std::uint8_t[]> m_pWriteImage;
    std::int64_t m_nWritePos = 0;
    std::int64_t m_nWriteCapacity = 0;
    // Bytes actually allocated: a smaller capacity reuses the image instead of allocating again.
    std::int64_t m_nWriteAllocated = 0;
    std::string m_strParseLog;
};

} // namespace corvina
