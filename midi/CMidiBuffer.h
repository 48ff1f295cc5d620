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
    // Number of bytes in the read image.
    std::int32_t GetReadSize() const { return m_nReadSize; }
    // Index of the next byte to read (kept wide so a huge skip never wraps it backwards).
    std::int64_t GetReadPos() const { return m_nReadPos; }
    // Moves the read cursor; the reads themselves refuse positions outside the image.
    void SetReadPos(std::int64_t pos) { m_nReadPos = pos; }
    // Byte at the read position, moving past it when `advance`; 0 and no move at the end of the data.
    std::uint8_t ReadByte(bool advance);
    // Big-endian number of n bytes (1 to 4); 0 and no move when fewer remain; other n: 0, moves n.
    std::uint32_t ReadNumber(int n);
    // n bytes as text; empty and no move when fewer remain.
    std::string ReadString(int n);
    // Variable-length quantity; on failure logs "ReadVarLength failed" and does not move.
    bool ReadVarLength(std::uint32_t& value);
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
    bool WriteByte(std::uint8_t value);
    // Low n bytes (0 to 4) of value, most significant first.
    bool WriteNumber(std::uint32_t value, int n);
    bool WriteString(std::string_view text);
    // Copies length bytes of the read image from offset; length < 1 writes nothing and succeeds.
    bool CopyRange(std::int64_t offset, std::int64_t length);
    // Variable-length quantity of at most four bytes; values above 0x0FFFFFFF fail.
    bool WriteVarLength(std::uint32_t value);
    // Writes bytes 0 to the write position to an open file; false on a file error.
    bool Flush(std::FILE* file) const;
    // The output built so far (bytes 0 to the write position).
    std::string_view GetWrittenBytes() const;

private:
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
