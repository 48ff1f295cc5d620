// One event of a track: offsets into the file image, its delta and absolute time, and its channel status.
// Events never copy their bytes; the writer copies them from the image when a file or clip is written.
#pragma once

#include <cstdint>

#include "CMidiBuffer.h"
#include "MidiEventRecord.h"

namespace corvina {

class CMidiEvent {
public:
    explicit CMidiEvent(CMidiBuffer* pBuffer) : m_pBuffer(pBuffer) {}
    // The event a track keeps as record, ending at nEndOffset (where the next event starts); the delta,
    // the data offset and the running status are read again from the image.
    CMidiEvent(CMidiBuffer* pBuffer, const MIDI_EVENT_RECORD& record, std::int32_t nEndOffset)
        : m_pBuffer(pBuffer), m_nStartOffset(record.StartOffset), m_nEndOffset(nEndOffset), m_dwTime(record.Time),
          m_dwTempo(record.Tempo()), m_byStatus(record.Status())
    {
        // The delta quantity as it was read: continuation bytes without limit, the value wrapping.
        std::int64_t pos = m_nStartOffset;
        std::uint8_t byte = pBuffer->ByteAt(pos++);
        std::uint32_t delta = byte & 0x7Fu;
        while ((byte & 0x80u) && pos < nEndOffset) {
            byte = pBuffer->ByteAt(pos++);
            delta = (delta << 7) + (byte & 0x7Fu);
        }
        m_dwDelta = delta;
        m_nDataOffset = static_cast<std::int32_t>(pos);
        // Under running status the event starts with a data byte (which a parsed event always has, even
        // one that ends right there because no status byte had been seen yet).
        m_bRunningStatus = pos < pBuffer->GetReadSize() && pBuffer->ByteAt(pos) < 0x80 ? 1 : 0;
    }
    virtual ~CMidiEvent() = default;
    CMidiEvent(const CMidiEvent&) = default;
    CMidiEvent& operator=(const CMidiEvent&) = default;

    // Reads one event at the buffer's read position. dwTempoAtStart gets the tempo of a tempo event at
    // time 0, else 0. False when the data is broken; the buffer's log says why.
    bool Parse(std::uint32_t& dwTempoAtStart);

    // Appends the event to the buffer's output image: delta (absolute or added to the own delta), an
    // explicit status byte when forced and the source used running status, output channel (-1 keeps it).
    bool Write(std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus, int nOutChannel) const;

    // The compact form a track keeps; deltaSum is the sum of the track's earlier deltas.
    MIDI_EVENT_RECORD ToRecord(std::uint32_t deltaSum) const
    {
        return {m_nStartOffset, deltaSum, m_dwTime, (m_dwTempo & 0xFFFFFFu) << 8 | m_byStatus};
    }

    // Channel 0 to 15, or -1 for meta, system exclusive and other system events.
    int GetChannel() const { return m_byStatus == 0 ? -1 : (m_byStatus & 0x0F); }
    // True for channel events.
    bool HasStatus() const { return m_byStatus != 0; }
    // Note-on with a velocity above 0.
    bool IsNoteOn() const
    {
        std::uint8_t velocity = 0;
        return (m_byStatus & 0xF0) == 0x90 && GetVelocity(velocity) && velocity != 0;
    }
    // Note-off, or note-on with velocity 0 (or a velocity byte outside the image).
    bool IsNoteOff() const
    {
        const std::uint8_t kind = m_byStatus & 0xF0;
        std::uint8_t velocity = 0;
        return kind == 0x80 || (kind == 0x90 && (!GetVelocity(velocity) || velocity == 0));
    }
    // Exactly FF 2F 00.
    bool IsEndOfTrack() const
    {
        const std::int64_t data = m_nDataOffset;
        return static_cast<std::int64_t>(m_nEndOffset) - data == 3 && m_pBuffer->ByteAt(data) == 0xFF &&
               m_pBuffer->ByteAt(data + 1) == 0x2F && m_pBuffer->ByteAt(data + 2) == 0x00;
    }
    // The status byte with channel nChannel applied; -1 keeps the channel.
    std::uint8_t GetStatusForChannel(int nChannel) const;

    std::int32_t GetStartOffset() const { return m_nStartOffset; }
    std::int32_t GetDataOffset() const { return m_nDataOffset; }
    std::int32_t GetEndOffset() const { return m_nEndOffset; }
    std::uint32_t GetDelta() const { return m_dwDelta; }
    // Absolute time in microseconds from the start of the track.
    std::uint32_t GetTime() const { return m_dwTime; }
    // Tempo (microseconds per quarter) in effect when the event was read.
    std::uint32_t GetTempo() const { return m_dwTempo; }
    bool IsRunningStatus() const { return m_bRunningStatus != 0; }
    std::uint8_t GetStatus() const { return m_byStatus; }

private:
    // The velocity byte of a 0x9n event: present (offset 1 to read size - 1), and its value.
    bool GetVelocity(std::uint8_t& velocity) const
    {
        const std::int64_t offset = static_cast<std::int64_t>(m_nDataOffset) + (m_bRunningStatus ? 1 : 2);
        if (offset < 1 || offset > static_cast<std::int64_t>(m_pBuffer->GetReadSize()) - 1)
            return false;
        velocity = m_pBuffer->ByteAt(offset);
        return true;
    }

    CMidiBuffer* m_pBuffer;
    std::int32_t m_nStartOffset = 0;
    std::int32_t m_nDataOffset = 0;
    std::int32_t m_nEndOffset = 0;
    std::uint32_t m_dwDelta = 0;
    std::uint32_t m_dwTime = 0;
    std::uint32_t m_dwTempo = 0;
    std::int32_t m_bRunningStatus = 0;
    std::uint8_t m_byStatus = 0;
};

} // namespace corvina
