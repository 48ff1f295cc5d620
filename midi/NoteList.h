// The notes of a loaded MIDI file as spans (start, end, key, velocity, channel, track): what the
// melody line, the voice count and the clip suggestion reason about.
#pragma once

#include <cstdint>
#include <vector>

namespace corvina {

class CMidiFile;
class CMidiTrack;

// One sounding note, in the engine's times (microseconds from the start of its track).
struct SMidiNote {
    std::uint32_t dwStartUs = 0;
    std::uint32_t dwEndUs = 0; // its note-off; a note never ended lasts to its track's last event
    std::uint8_t byKey = 0;
    std::uint8_t byVelocity = 0; // above 0
    std::uint8_t byChannel = 0;  // 0 to 15; 9 is the drum channel
    std::int32_t nTrack = 0;     // index of the track in the file
    bool operator==(const SMidiNote&) const = default;
};

// The drum channel of General MIDI (channel 10 counted from 1).
constexpr int kDrumChannel = 9;

// The notes of one track, of one channel (0 to 15) or of all (-1), sorted by start, then key. A note
// sounds from its note-on (velocity above 0) to the note-off, or note-on with velocity 0, of the same
// key on the same channel; a second note-on of a sounding key on that channel ends the first.
std::vector<SMidiNote> CollectTrackNotes(const CMidiTrack& track, int nChannel);
// The same over every track of the file (nTrack -1) or one track.
std::vector<SMidiNote> CollectNotes(const CMidiFile& file, int nTrack, int nChannel);
// The notes of a clip: those that start within [dwFromUs, dwToUs] (both inclusive, as the clip
// writers take them), ends cut at dwToUs.
std::vector<SMidiNote> ClipNotes(const std::vector<SMidiNote>& notes, std::uint32_t dwFromUs, std::uint32_t dwToUs);

} // namespace corvina
