// One track chunk of a loaded MIDI file: its events, the note-on times per channel, and the two track
// writers that produce per-channel files and clips from it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "CMidiEvent.h"
#include "CMidiEventList.h"
#include "CMidiWriteImage.h"
#include "MidiReaderState.h"

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

    // Track chunks for the per-channel files, all in one walk over the events: for each channel c with
    // bWrite[c] set, out[c] gets the chunk with every event of c (and every meta/system event) on
    // channel 0. bWrite[c] is cleared when a write into out[c] fails.
    void WriteChannelChunks(std::array<CMidiWriteImage, 16>& out, std::array<bool, 16>& bWrite) const;
    // Track chunk cut to [dwStartUs, dwEndUs]; nChannel -1 keeps all channels. Note-ons written, or -1.
    int WriteClipChunk(int nChannel, std::uint32_t dwStartUs, std::uint32_t dwEndUs, int nOutChannel) const;

    // (time of the last event + 500) / 1000; 0 without events.
    int GetLengthMs() const;
    // Note-on times (microseconds) of a channel 0 to 15, in file order; nullptr for other numbers.
    const std::vector<std::uint32_t>* GetNoteOnTimes(int nChannel) const;
    // True when the channel has a note-on with velocity above 0.
    bool IsChannelUsed(int nChannel) const { return nChannel >= 0 && nChannel < 16 && m_bChannelUsed[nChannel] != 0; }
    bool HasTempoAtStart() const { return m_bHasTempoAtStart != 0; }
    // Microseconds per quarter in effect at a time of this track (tempo events at that very time included).
    std::uint32_t GetTempoAt(std::uint32_t dwTimeUs) const;
    int GetTrackIndex() const { return m_nTrackIndex; }
    std::int32_t GetChunkLength() const { return m_nChunkLength; }
    // The events in file order, read again from the image on demand.
    CMidiEventList GetEvents() const { return CMidiEventList(m_pBuffer, m_nEventsBegin, m_StartState, m_nEventCount); }

private:
    // Writes "MTrk" and leaves room for the length; CloseChunk fills it in.
    static bool OpenChunk(CMidiWriteImage& out, std::int64_t& begin);
    static bool CloseChunk(CMidiWriteImage& out, std::int64_t begin);
    // Microseconds to ticks with the tempo of one event and the reader's current division.
    static std::uint32_t Ticks(std::uint32_t dwMicroseconds, std::uint32_t dwTempo);
    // The track's end of track event (its last one).
    CMidiEvent LastEvent() const;

    // No record per event: the writers walk the events again from the image (CMidiEventCursor), which
    // costs a parse per event but keeps a file of millions of events close to its own size in memory.
    std::int64_t m_nEventsBegin = 0; // offset of the first event
    std::size_t m_nEventCount = 0;
    MidiReaderState m_StartState; // tempo, division and running status before the first event
    std::int32_t m_nLastEventOffset = 0;
    std::uint32_t m_dwLastTime = 0; // time of the last event
    bool m_bLoaded = false;
    std::int32_t m_nChunkLength = 0;
    std::int32_t m_nTrackIndex;
    CMidiFile* m_pFile;
    CMidiBuffer* m_pBuffer;
    std::array<std::int32_t, 16> m_bChannelUsed{};
    std::array<std::vector<std::uint32_t>, 16> m_NoteOnTimes;
    std::uint8_t m_bHasTempoAtStart = 0;
};

} // namespace corvina
