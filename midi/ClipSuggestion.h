// Suggests the clip of a song people recognise: the section that comes back most often (also when a
// return is transposed or slightly varied), cut at phrase boundaries to a ringtone's length.
#pragma once

#include "NoteList.h"

#include <cstdint>
#include <vector>

namespace corvina {

// What the suggestion is asked for.
struct SClipSuggestionOptions {
    double dTargetSeconds = 25.0; // wanted length; the clip may be up to 40 % shorter or longer
};

// The shortest and longest clip a target allows, and the largest target taken (an hour).
constexpr double kClipLengthSlack = 0.4;
constexpr double kMaxClipTargetSeconds = 3600.0;

// What the suggested clip is based on.
enum class EClipBasis {
    kNoNotes,    // nothing to suggest: the notes are empty
    kRepetition, // the section that returns most often
    kDensest,    // nothing returns: the stretch of the target length with the most notes
    kWholeTune,  // the tune is no longer than the shortest clip allowed: all of it
};

// One appearance of the suggested section.
struct SClipOccurrence {
    std::uint32_t dwStartMs = 0; // where it starts
    int nSemitones = 0;          // transposition against the first appearance (positive: higher)
    bool bVaried = false;        // some notes, or its ending, differ from the suggested clip
};

// The suggested clip and why.
struct SClipSuggestion {
    EClipBasis eBasis = EClipBasis::kNoNotes; // what the clip is based on
    std::uint32_t dwFromMs = 0; // clip start, on a note onset (both ends inclusive, as the clip writers take them)
    std::uint32_t dwToMs = 0;   // clip end: before the onset that follows, or the tune's end
    std::vector<SClipOccurrence> occurrences; // every appearance of the section in time order (kRepetition only)
    int nClipOccurrence = -1;                 // which of them the clip covers (-1 without any)

    // How many times the section is heard (1 when nothing returns, 0 without notes).
    int Repeats() const;
    // The transposition of each return (every appearance after the first) against the first, in semitones.
    std::vector<int> ReturnSemitones() const;
};

// The clip to suggest for these notes (all channels, or one track and channel, as CollectNotes gives
// them). The clip never lies outside the notes, starts on an onset and is never cut inside a note
// held in another voice where that can be helped. Throws std::invalid_argument when the target is
// not a number of seconds above 0 and at most kMaxClipTargetSeconds.
SClipSuggestion SuggestClip(const std::vector<SMidiNote>& notes, const SClipSuggestionOptions& options = {});

} // namespace corvina
