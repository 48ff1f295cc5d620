// The byte image of one MIDI file with its read cursor, the output image of the writer and the parse log.
// Every read checks its bounds, so no input can make the reader look outside the image.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "CMidiWriteImage.h"

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
        // Most deltas are one or two bytes.
        if (m_nReadPos >= 0 && m_nReadPos < m_nReadSize) {
            const std::uint8_t first = m_pReadImage[static_cast<std::size_t>(m_nReadPos)];
            if ((first & 0x80u) == 0) {
                ++m_nReadPos;
                value = first;
                return true;
            }
            if (m_nReadPos + 1 < m_nReadSize) {
                const std::uint8_t second = m_pReadImage[static_cast<std::size_t>(m_nReadPos + 1)];
                if ((second & 0x80u) == 0) {
                    m_nReadPos += 2;
                    value = ((first & 0x7Fu) << 7) + second;
                    return true;
                }
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
    void SetWritePos(std::int64_t pos) { m_Write.SetWritePos(pos); }
    std::int64_t GetWritePos() const { return m_Write.GetWritePos(); }
    void SetWriteCapacity(std::int64_t capacity) { m_Write.SetWriteCapacity(capacity); }
    std::int64_t GetWriteCapacity() const { return m_Write.GetWriteCapacity(); }
    // Readies the write image for the current capacity; false when that cannot be allocated.
    bool AllocateWriteImage() { return m_Write.Allocate(); }
    // Fails when the write position has reached the capacity.
    bool WriteByte(std::uint8_t value) { return m_Write.WriteByte(value); }
    // Low n bytes (0 to 4) of value, most significant first.
    bool WriteNumber(std::uint32_t value, int n) { return m_Write.WriteNumber(value, n); }
    bool WriteString(std::string_view text) { return m_Write.WriteString(text); }
    // Copies length bytes of the read image from offset; length < 1 writes nothing and succeeds.
    bool CopyRange(std::int64_t offset, std::int64_t length)
    {
        return m_Write.CopyFrom(m_pReadImage.get(), m_nReadSize, offset, length);
    }
    // Room for n more bytes at the write position: moves past them and returns where to put them, or
    // nullptr (and no move) when they would pass the capacity.
    std::uint8_t* Reserve(std::int64_t n) { return m_Write.Reserve(n); }
    // Variable-length quantity of at most four bytes; values above 0x0FFFFFFF fail.
    bool WriteVarLength(std::uint32_t value) { return m_Write.WriteVarLength(value); }
    // Writes bytes 0 to the write position to an open file; false on a file error.
    bool Flush(std::FILE* file) const { return m_Write.Flush(file); }
    // The output built so far (bytes 0 to the write position).
    std::string_view GetWrittenBytes() const { return m_Write.GetWrittenBytes(); }
    // The output image itself: writers that build several outputs at once swap theirs in and out, so
    // that the most recent output is the buffer's as with any other.
    CMidiWriteImage& GetWriteImage() { return m_Write; }

private:
    bool ReadLongVarLength(std::uint32_t& value);

    std::unique_ptr<std::uint8_t[]> m_pReadImage;
    std::int64_t m_nReadPos = 0;
    std::int32_t m_nReadSize = 0;
    CMidiWriteImage m_Write;
    std::string m_strParseLog;
};

} // namespace corvina
