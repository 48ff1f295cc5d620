// One event of a track: offsets into the file image, its delta and absolute time, and its channel status.
// Events never copy their bytes; the writer copies them from the image when a file or clip is written.
#pragma once

#include <cstdint>

namespace corvina {

class CMidiBuffer;

class CMidiEvent {
public:
    explicit CMidiEvent(CMidiBuffer* pBuffer);
    virtual ~CMidiEvent();
    CMidiEvent(const CMidiEvent&) = default;
    CMidiEvent& operator=(const CMidiEvent&) = default;

    // Reads one event at the buffer's read position. dwTempoAtStart gets the tempo of a tempo event at
    // time 0, else 0. False when the data is broken; the buffer's log says why.
    bool Parse(std::uint32_t& dwTempoAtStart);

    // Appends the event to the buffer's output image: delta (absolute or added to the own delta), an
    // explicit status byte when forced and the source used running status, output channel (-1 keeps it).
    bool Write(std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus, int nOutChannel) const;

    // Channel 0 to 15, or -1 for meta, system exclusive and other system events.
    int GetChannel() const { return m_byStatus == 0 ? -1 : (m_byStatus & 0x0F); }
    // True for channel events.
    bool HasStatus() const { return m_byStatus != 0; }
    // Note-on with a velocity above 0.
    bool IsNoteOn() const;
    // Note-off, or note-on with velocity 0 (or a velocity byte outside the image).
    bool IsNoteOff() const;
    // Exactly FF 2F 00.
    bool IsEndOfTrack() const;
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
    // The velocity byte of a 0x9n event: present, and its value.
    bool GetVelocity(std::uint8_t& velocity) const;

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
