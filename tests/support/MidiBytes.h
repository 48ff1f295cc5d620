// Standard MIDI Files built byte by byte, for the tests, benchmarks and song generators that need
// files of a known make-up (or a known fault).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace corvina::test {

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// The value as n big-endian bytes.
inline std::string Be(std::uint32_t value, int n)
{
    std::string out;
    for (int i = n - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

// The value as a variable-length quantity (delta times, lengths of meta events).
inline std::string Var(std::uint32_t value)
{
    std::string out(1, static_cast<char>(value & 0x7F));
    while (value >>= 7)
        out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return out;
}

// "MThd" chunk; bytes of 0x55 follow the six standard ones when headerLength is above 6, so that a
// reader that takes them for the first track is caught.
inline std::string Header(int format, int tracks, int division, std::uint32_t headerLength = 6)
{
    std::string out = "MThd" + Be(headerLength, 4) + Be(static_cast<std::uint32_t>(format), 2) +
                      Be(static_cast<std::uint32_t>(tracks), 2) + Be(static_cast<std::uint32_t>(division), 2);
    if (headerLength > 6)
        out += std::string(headerLength - 6, '\x55');
    return out;
}

inline const std::string kEnd = Bytes({0x00, 0xFF, 0x2F, 0x00});

// "MTrk" chunk around events (which should end with kEnd).
inline std::string Track(const std::string& events)
{
    return "MTrk" + Be(static_cast<std::uint32_t>(events.size()), 4) + events;
}

// A whole file: the header and one chunk for each track's events.
inline std::string Smf(int format, int division, const std::vector<std::string>& tracks, std::uint32_t headerLength = 6)
{
    std::string file = Header(format, static_cast<int>(tracks.size()), division, headerLength);
    for (const std::string& events : tracks)
        file += Track(events);
    return file;
}

// The events of one track from (tick, event bytes) in time order: each gets its delta time, and End of
// Track follows the last.
inline std::string TimedEvents(const std::vector<std::pair<std::uint64_t, std::string>>& events)
{
    std::string out;
    std::uint64_t now = 0;
    for (const auto& [tick, bytes] : events) {
        out += Var(static_cast<std::uint32_t>(tick - now)) + bytes;
        now = tick;
    }
    return out + kEnd;
}

} // namespace corvina::test
