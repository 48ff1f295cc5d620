// The compact form in which a track keeps its events: only what cannot be read again from the image.
#pragma once

#include <cstdint>

namespace corvina {

// One event of a loaded track, 16 bytes. The delta, the data offset and the running status are read
// again from the image at the start offset; the event ends where the next one starts.
struct MIDI_EVENT_RECORD {
    std::int32_t StartOffset;   // offset of the event's delta-time quantity in the image
    std::uint32_t DeltaSum;     // sum (mod 2^32) of the deltas of the track's earlier events
    std::uint32_t Time;         // absolute time in microseconds from the start of the track
    std::uint32_t TempoStatus;  // tempo in effect (24 bits, as tempo events store it) << 8 | status

    std::uint32_t Tempo() const { return TempoStatus >> 8; }
    std::uint8_t Status() const { return static_cast<std::uint8_t>(TempoStatus); }
};
static_assert(sizeof(MIDI_EVENT_RECORD) == 16);

} // namespace corvina
