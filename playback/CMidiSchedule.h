// The player's view of a Standard MIDI File: every channel event of all tracks on one time line in
// microseconds, following the file's tempo map, and the file's length.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace corvina {

// One event to send to the synthesizer.
struct SCHEDULED_EVENT {
    std::int64_t TimeUs = 0;  // from the start of the file
    std::uint8_t Status = 0;  // channel message status byte, or 0xF0 for a system-exclusive message
    std::uint8_t Data1 = 0;
    std::uint8_t Data2 = 0;
    std::uint32_t Sysex = 0;  // index into Sysexes() for 0xF0
};

class CMidiSchedule {
public:
    // Latest time on the time line: the longest length in milliseconds that a status query can give.
    static constexpr std::int64_t kLongestTimeUs = std::int64_t{0x7FFFFFFF} * 1000;
    // Largest file the player opens.
    static constexpr std::uintmax_t kLargestFile = 64u << 20;

    // Reads and parses a file; false (with the reason in reason) when it is not a playable MIDI file.
    bool Load(const std::filesystem::path& path, std::string* reason = nullptr);
    // The same, but a file read before and unchanged since (same file, size and modification time) is
    // not read again while its schedule is still in use: the length query and the play that follows,
    // or a preview prepared off the window's thread, share one reading. Null when Load fails.
    static std::shared_ptr<const CMidiSchedule> LoadShared(const std::filesystem::path& path,
                                                          std::string* reason = nullptr);
    // Parses the bytes of a file.
    bool Parse(const std::vector<std::uint8_t>& bytes, std::string* reason = nullptr);

    // Channel and system-exclusive events in playing order.
    const std::vector<SCHEDULED_EVENT>& Events() const { return m_events; }
    // Bodies of the system-exclusive events, without the leading 0xF0 and the closing 0xF7.
    const std::vector<std::vector<std::uint8_t>>& Sysexes() const { return m_sysex; }
    // Time of the last event of any kind (End of Track included), in microseconds.
    std::int64_t LengthUs() const { return m_lengthUs; }
    // The same in whole milliseconds, rounded to nearest.
    std::int32_t LengthMs() const;
    // Number of MTrk chunks.
    int Tracks() const { return m_tracks; }

private:
    std::vector<SCHEDULED_EVENT> m_events;
    std::vector<std::vector<std::uint8_t>> m_sysex;
    std::int64_t m_lengthUs = 0;
    int m_tracks = 0;
};

} // namespace corvina
