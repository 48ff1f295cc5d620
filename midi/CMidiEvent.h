// One event of a track: offsets into the file image, its delta and absolute time, and its channel status.
// Events never copy their bytes; the writer copies them from the image when a file or clip is written.
#pragma once

#include <cstdint>

#include "CMidiBuffer.h"
#include "CMidiWriteImage.h"
#include "MidiReaderState.h"

namespace corvina {

class CMidiEvent {
public:
    explicit CMidiEvent(CMidiBuffer* pBuffer) : m_pBuffer(pBuffer) {}
    virtual ~CMidiEvent() = default;
    CMidiEvent(const CMidiEvent&) = default;
    CMidiEvent& operator=(const CMidiEvent&) = default;

    // Reads one event at the buffer's read position with the program's reader state. dwTempoAtStart
    // gets the tempo of a tempo event at time 0, else 0. False when the data is broken; the buffer's log
    // says why.
    bool Parse(std::uint32_t& dwTempoAtStart)
    {
        return ParseFrom(*m_pBuffer, TheMidiReaderState(), g_midiTimeMemo, dwTempoAtStart);
    }
    // The same from any reader with the buffer's read operations and with a given state: loading reads
    // through the buffer, the writers read the same image again through a CMidiImageReader. Without
    // kTimes the time is not kept (it stays 0; the per-channel writer needs only deltas and bytes).
    template <bool kTimes = true, class Reader>
    bool ParseFrom(Reader& buf, MidiReaderState& state, MidiTimeMemo& memo, std::uint32_t& dwTempoAtStart);

    // Appends the event to the buffer's output image: delta (absolute or added to the own delta), an
    // explicit status byte when forced and the source used running status, output channel (-1 keeps it).
    bool Write(std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus, int nOutChannel) const;
    // The same into another output image (the per-channel writer fills one per channel at once).
    bool WriteTo(CMidiWriteImage& out, std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus,
                 int nOutChannel) const;

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
    // The first data byte of a channel event (the key of a note); false when it lies outside the image.
    bool GetData1(std::uint8_t& value) const
    {
        const std::int64_t offset = static_cast<std::int64_t>(m_nDataOffset) + (m_bRunningStatus ? 0 : 1);
        if (offset < 1 || offset > static_cast<std::int64_t>(m_pBuffer->GetReadSize()) - 1)
            return false;
        value = m_pBuffer->ByteAt(offset);
        return true;
    }
    // The second data byte of a 0x9n/0x8n/0xBn event (a note's velocity, a controller's value).
    bool GetData2(std::uint8_t& value) const { return GetVelocity(value); }
    // Exactly FF 2F 00.
    bool IsEndOfTrack() const
    {
        const std::int64_t data = m_nDataOffset;
        return static_cast<std::int64_t>(m_nEndOffset) - data == 3 && m_pBuffer->ByteAt(data) == 0xFF &&
               m_pBuffer->ByteAt(data + 1) == 0x2F && m_pBuffer->ByteAt(data + 2) == 0x00;
    }
    // The status byte with channel nChannel applied; -1 keeps the channel.
    std::uint8_t GetStatusForChannel(int nChannel) const
    {
        if (nChannel == -1)
            return m_byStatus;
        return static_cast<std::uint8_t>((m_byStatus & 0xF0) | (nChannel & 0x0F));
    }
    // The buffer whose image the offsets point into.
    CMidiBuffer* GetBuffer() const { return m_pBuffer; }

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
    // WriteTo for what the one-step copy does not take (a new delta, an event outside the image, an
    // output that is full): byte by byte, failing where the output fails.
    bool WriteBytewise(CMidiWriteImage& out, std::uint32_t delta, bool insertStatus, bool replaceStatus,
                       int nOutChannel) const;

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

template <bool kTimes, class Reader>
inline bool CMidiEvent::ParseFrom(Reader& buf, MidiReaderState& state, MidiTimeMemo& memo,
                                  std::uint32_t& dwTempoAtStart)
{
    dwTempoAtStart = 0;
    // What only some kinds of event set starts cleared, so that one object can be read into again.
    m_bRunningStatus = 0;
    m_byStatus = 0;
    if constexpr (!kTimes)
        m_dwTime = 0;

    const std::int64_t start = buf.GetReadPos();
    m_nStartOffset = static_cast<std::int32_t>(start);
    if (!buf.ReadVarLength(m_dwDelta)) {
        buf.LogError("Too small, data missing!");
        return false;
    }
    m_dwTempo = state.dwTempo;
    if constexpr (kTimes) {
        state.dwRunningTime +=
            MidiDeltaMicroseconds(memo, state.dwTempo, m_dwDelta, static_cast<std::uint32_t>(state.nDivision));
        m_dwTime = state.dwRunningTime;
    }
    m_nDataOffset = static_cast<std::int32_t>(buf.GetReadPos());

    if (!buf.MoreData()) {
        buf.LogError("Wrong delta time!");
        buf.LogError("Too small, data missing!");
        return false;
    }

    // skip: the bytes after the first one that still belong to the event. It is signed: running
    // status before any status byte has been seen gives -1, an event that ends at its first byte.
    std::int64_t skip = 0;
    const std::uint8_t first = buf.ReadByte(true);
    // Most frequent first: data bytes under running status, then channel status bytes.
    if (first < 0x80) {
        m_bRunningStatus = 1;
        skip = state.nLastDataLength - 1;
        m_byStatus = state.byLastStatus;
    } else if (first < 0xF0) {
        m_bRunningStatus = 0;
        const std::uint8_t kind = first & 0xF0;
        const std::int32_t dataLength = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        state.byLastStatus = first;
        state.nLastDataLength = dataLength;
        m_byStatus = first;
        skip = dataLength;
    } else if (first == 0xFF) {
        if (!buf.MoreData())
            return false;
        const std::uint8_t type = buf.ReadByte(true);
        if (type == 0x51) {
            buf.ReadByte(true);
            state.dwTempo = buf.ReadNumber(3);
            if (kTimes && m_dwTime == 0)
                dwTempoAtStart = state.dwTempo;
            // Back to the length byte, so the length is read like that of any other meta event.
            buf.SetReadPos(buf.GetReadPos() - 4);
            buf.LogField("FF51 event time:", state.dwTempo);
        }
        std::uint32_t length = 0;
        if (!buf.ReadVarLength(length))
            return false;
        skip = length;
    } else if (first == 0xF0) {
        while (buf.MoreData()) {
            if (buf.ReadByte(true) == 0xF7)
                break;
        }
    } else if (first == 0xF1 || first == 0xF3) {
        skip = 1;
    } else if (first == 0xF2) {
        skip = 2;
    }
    // 0xF4 to 0xFE: nothing follows the first byte.

    const std::int64_t end = buf.GetReadPos() + skip;
    buf.SetReadPos(end);
    m_nEndOffset = static_cast<std::int32_t>(end);
    if (end - 1 >= buf.GetReadSize()) {
        buf.LogError("Too small, data missing!");
        return false;
    }
    // A truncated tempo event moves the cursor back before its own start; an event that does not
    // move past its start would be read again forever.
    if (end <= start) {
        buf.LogError("Too small, data missing!");
        return false;
    }
    return true;
}

inline bool CMidiEvent::WriteTo(CMidiWriteImage& out, std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus,
                                int nOutChannel) const
{
    const std::uint8_t* image = m_pBuffer->GetReadImage();
    const std::int64_t size = m_pBuffer->GetReadSize();
    const std::uint32_t delta = bAbsoluteDelta ? dwDelta : m_dwDelta + dwDelta;
    const std::int64_t start = m_nStartOffset;
    const std::int64_t data = m_nDataOffset;
    const std::int64_t end = m_nEndOffset;
    const bool insertStatus = bForceStatus && m_bRunningStatus;
    const bool replaceStatus = !insertStatus && HasStatus();

    // Fast path, the same bytes in one step: the delta is copied, the event lies inside the image and
    // the whole event fits. Anything else goes byte by byte and fails where the output fails.
    if (delta == m_dwDelta && start >= 0 && start <= data && data <= end && end <= size &&
        (!replaceStatus || data < end)) {
        const std::uint8_t* from = image + start;
        if (std::uint8_t* to = out.Reserve(end - start + (insertStatus ? 1 : 0))) {
            const std::int64_t head = data - start;
            for (std::int64_t i = 0; i < head; ++i)
                *to++ = from[i];
            if (insertStatus || replaceStatus)
                *to++ = GetStatusForChannel(nOutChannel);
            for (std::int64_t i = head + (replaceStatus ? 1 : 0); i < end - start; ++i)
                *to++ = from[i];
            return true;
        }
    }
    return WriteBytewise(out, delta, insertStatus, replaceStatus, nOutChannel);
}

} // namespace corvina
