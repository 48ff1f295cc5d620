// One track chunk of a loaded MIDI file: its events, the note-on times per channel, and the two track
// writers that produce per-channel files and clips from it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "CMidiEvent.h"
#include "CMidiEventList.h"
#include "HugePageAllocator.h"
#include "MidiEventRecord.h"

namespace corvina {

class CMidiBuffer;
class CMidiFile;

class CMidiTrack {
public:
    // pFile may be null (then the track reads with tempo 500000 and division 96).
    CMidiTrack(CMidiFile* pFile, CMidiBuffer* pBuffer, int nTrackIndex);
    virtual ~CMidiTrack();
    CMidiTrack(const CMidiTrack&) = delete;
    CMidiTrack& operator=(const CMidiTrack&) = delete;

    // Reads the track chunk at the buffer's read position; bFirstTrack lets a tempo at time 0 become
    // the file's initial tempo. False when the chunk is broken.
    bool Load(bool bFirstTrack);

    // Writes the clip file with this track's events of nChannel (0 to 15) between the two times
    // (microseconds, inclusive) on channel 0. Returns the number of note-ons written, or -1.
    int WriteTrackClip(int nChannel, std::uint32_t dwStartUs, std::uint32_t dwEndUs);

    // Track chunk with every event of channel nChannel (and every meta/system event) on channel 0.
    bool WriteChannelChunk(int nChannel) const;
    // Track chunk cut to [dwStartUs, dwEndUs]; nChannel -1 keeps all channels. Note-ons written, or -1.
    int WriteClipChunk(int nChannel, std::uint32_t dwStartUs, std::uint32_t dwEndUs, int nOutChannel) const;

    // (time of the last event + 500) / 1000; 0 without events.
    int GetLengthMs() const;
    // Note-on times (microseconds) of a channel 0 to 15, in file order; nullptr for other numbers.
    const std::vector<std::uint32_t>* GetNoteOnTimes(int nChannel) const;
    // True when the channel has a note-on with velocity above 0.
    bool IsChannelUsed(int nChannel) const { return nChannel >= 0 && nChannel < 16 && m_bChannelUsed[nChannel] != 0; }
    bool HasTempoAtStart() const { return m_bHasTempoAtStart != 0; }
    int GetTrackIndex() const { return m_nTrackIndex; }
    std::int32_t GetChunkLength() const { return m_nChunkLength; }
    // The events in file order, made on demand from the compact records.
    CMidiEventList GetEvents() const
    {
        return CMidiEventList(m_pBuffer, m_Records.data(), m_Records.size(), m_nEventsEnd);
    }

private:
    // Writes "MTrk", leaves room for the length, runs writeEvents, then fills in the length.
    template <class F> bool WriteChunkFrame(F&& writeEvents) const;
    // Microseconds to ticks with the tempo of one event and the reader's current division.
    static std::uint32_t Ticks(std::uint32_t dwMicroseconds, std::uint32_t dwTempo);

    // Builds the per-channel index below (after a successful load).
    void BuildChannelIndex();
    // Event i as an object (for the writers).
    CMidiEvent EventAt(std::size_t i) const
    {
        const std::int32_t end = i + 1 < m_Records.size() ? m_Records[i + 1].StartOffset : m_nEventsEnd;
        return CMidiEvent(m_pBuffer, m_Records[i], end);
    }

    // 16 bytes per event; a file of millions of events would otherwise take tens of times its size.
    std::vector<MIDI_EVENT_RECORD, HugePageAllocator<MIDI_EVENT_RECORD>> m_Records;
    std::int32_t m_nEventsEnd = 0;   // end offset of the last event
    std::int32_t m_nChunkLength = 0;
    std::int32_t m_nTrackIndex;
    CMidiFile* m_pFile;
    CMidiBuffer* m_pBuffer;
    std::array<std::int32_t, 16> m_bChannelUsed{};
    std::array<std::vector<std::uint32_t>, 16> m_NoteOnTimes;
    std::uint8_t m_bHasTempoAtStart = 0;
    // For the per-channel writer, which otherwise walks every event once per channel: the indices of
    // each channel's events and of the events without a channel. With the records' delta sums, the
    // deltas between two written events are one subtraction.
    std::array<std::vector<std::uint32_t>, 16> m_ChannelEventIndex;
    std::vector<std::uint32_t> m_PlainEventIndex;
    bool m_bIndexed = false;
};

} // namespace corvina
