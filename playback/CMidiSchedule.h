// The player's view of a Standard MIDI File: every channel event of all tracks on one time line in
// microseconds, following the file's tempo map, and the file's length.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace corvina {

// One event to send to the synthesizer.
struct SCHEDULED_EVENT {
    std::int64_t TimeUs = 0; // from the start of the file
    std::uint8_t Status = 0; // channel message status byte, or 0xF0 for a system-exclusive message
    std::uint8_t Data1 = 0;
    std::uint8_t Data2 = 0;
    // For 0xF0: the body without the leading 0xF0 and the closing 0xF7, inside the schedule's copy of
    // the file (valid while the schedule lives).
    std::span<const std::uint8_t> Sysex;
};

class CMidiSchedule {
public:
    // Latest time on the time line: the longest length in milliseconds that a status query can give.
    static constexpr std::int64_t kLongestTimeUs = std::int64_t{0x7FFFFFFF} * 1000;
    // Largest file the player opens.
    static constexpr std::uintmax_t kLargestFile = 64u << 20;

    class CCursor;

    // Reads and parses a file; false (with the reason in reason) when it is not a playable MIDI file.
    bool Load(const std::filesystem::path& path, std::string* reason = nullptr);
    // The same, but a file read before and unchanged since (same file, size and modification time) is
    // not read again while its schedule is still in use: the length query and the play that follows,
    // or a preview prepared off the window's thread, share one reading. Null when Load fails.
    static std::shared_ptr<const CMidiSchedule> LoadShared(const std::filesystem::path& path,
                                                           std::string* reason = nullptr);
    // Parses the bytes of a file (kept as the schedule's copy).
    bool Parse(std::vector<std::uint8_t> bytes, std::string* reason = nullptr);

    // A cursor at the first event; the events come in playing order from CCursor::Next.
    CCursor Begin() const;
    // Number of channel and system-exclusive events a cursor gives from start to end.
    std::int64_t EventCount() const { return m_eventCount; }
    // Time of the last event of any kind (End of Track included), in microseconds.
    std::int64_t LengthUs() const { return m_lengthUs; }
    // The same in whole milliseconds, rounded to nearest.
    std::int32_t LengthMs() const;
    // Number of MTrk chunks.
    int Tracks() const { return m_tracks; }
    // The file as read.
    std::span<const std::uint8_t> Bytes() const { return m_image; }

private:
    // Calls visit(begin, end) with the offsets of each MTrk chunk's events in the image, in file order;
    // returns the number of MTrk chunks.
    template <typename Visit>
    static int ForEachTrack(const std::vector<std::uint8_t>& image, std::size_t firstChunk, Visit visit);

    std::vector<std::uint8_t> m_image; // the file, exactly as read
    std::uint32_t m_firstChunk = 0;    // where the chunk after the header starts
    std::uint32_t m_division = 0;
    std::int64_t m_eventCount = 0;
    std::int64_t m_lengthUs = 0;
    int m_tracks = 0;
};

// Walks a schedule's events in playing order: every track is read where it lies in the image, and the
// tracks are merged by tick (then by track, then by order within the track), with ticks turned into
// microseconds by the tempo changes met on the way. It holds 28 bytes per track that has an event, and
// nothing per event.
class CMidiSchedule::CCursor {
public:
    explicit CCursor(const CMidiSchedule& schedule);

    // The next channel or system-exclusive event; false once the file has no more.
    bool Next(SCHEDULED_EVENT& event);
    // Time of the last event passed, of any kind: after the last, the schedule's length.
    std::int64_t TimeUs() const { return m_timeUs; }

private:
    friend class CMidiSchedule;

    // One track's reading position and the event it holds, decoded, waiting for its turn.
    struct TRACK_STATE {
        std::int64_t Tick; // of the waiting event
        std::uint32_t Pos; // where the track goes on after the waiting event
        std::uint32_t End;
        std::uint32_t Value; // tempo, or where a system-exclusive body starts
        std::uint8_t Status; // 0xFF tempo change, 0xFE other meta event, 0xF0 or a channel status
        std::uint8_t Data1;
        std::uint8_t Data2;
        std::uint8_t Running; // running status
    };

    // Reads the track's next event into its state; false when the track has no more.
    bool Advance(TRACK_STATE& track) const;
    // Whether track a's waiting event comes after track b's.
    bool Later(std::uint32_t a, std::uint32_t b) const;
    // Restores the heap order below position i.
    void SiftDown(std::size_t i);
    // From the start, the number of events Next would give and the time of the last event of any kind,
    // found by merging only the tempo changes; the cursor is used up.
    void Measure(std::int64_t& count, std::int64_t& lengthUs);
    std::int64_t ToUs(std::int64_t tick) const;

    const std::uint8_t* m_image;
    std::vector<TRACK_STATE> m_tracks;
    std::vector<std::uint32_t> m_heap; // tracks with a waiting event, earliest first
    std::uint32_t m_division;
    bool m_bSmpte;
    double m_smpteTicksPerSecond = 0;
    std::int64_t m_anchorTick = 0;
    std::int64_t m_anchorUs = 0;
    std::uint32_t m_tempo;
    std::int64_t m_timeUs = 0;
};

} // namespace corvina
