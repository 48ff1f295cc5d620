// The single line a listener would sing from a clip of notes (for iMelody and RTTTL ringtones), the plain
// skyline it is compared with, and the cut of a long line at a phrase end. docs/melody-line.md has the rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "NoteList.h"

namespace corvina {

// Why a clip gives a line or not.
enum class eMelodyLineResult {
    Ok,        // the line has notes
    NoNotes,   // the clip has no notes at all
    OnlyDrums, // every note is on the drum channel
    OnlyChords // every other voice strikes only chords of three or more notes: nothing to sing
};

// The line of a clip: one note at a time, each ending at or before the next one starts.
struct SMelodyLine {
    eMelodyLineResult eResult = eMelodyLineResult::NoNotes;
    std::vector<SMidiNote> notes; // copies of the clip's notes, ends cut where the next note starts
    std::int32_t nTrack = -1;     // the voice (track and channel) the line was taken from
    int nChannel = -1;
    bool bChordal = false; // that voice plays chords: the line is its top notes
};

// Features of one voice (the notes of one track and channel) that tell a tune from an accompaniment.
struct SVoiceFeatures {
    std::int32_t nTrack = 0;
    int nChannel = 0;
    std::size_t nNotes = 0;
    std::size_t nStrikes = 0;     // groups of notes struck together (onsets within kStrikeWindowUs)
    double dChordShare = 0;       // strikes of two or more keys, or struck under a held note of the voice
    double dBigChordShare = 0;    // strikes of three or more keys
    double dMeanKey = 0;          // of the voice's top line
    double dStepShare = 0;        // intervals of the top line of 1 or 2 semitones
    double dLeapShare = 0;        // intervals of more than 7 semitones
    double dRepeatShare = 0;      // intervals of 0 (the same key again)
    double dSwingShare = 0;       // notes back on the key of two notes before (a figure going to and fro)
    double dStrikesPerSecond = 0; // over the time the voice plays
    double dCoverage = 0;         // share of the clip's time the voice plays
    double dRhythmVariety = 0;    // distinct gaps between strikes, against the number of strikes
    double dScore = 0;            // how much the voice looks like a tune; the highest is taken
};

// Notes whose onsets lie this close together are struck together (a chord, also when played by hand).
constexpr std::uint32_t kStrikeWindowUs = 40000;

// The line of a clip of any voices (a track and channel, or all of them): the voice that looks most
// like a tune by its features (never the drum channel), and within it at each strike the highest note
// unless a higher note of the line is still held; overlaps are cut so one note sounds at a time.
SMelodyLine ExtractMelodyLine(const std::vector<SMidiNote>& notes);
// The features and score of every voice of the clip except drums, in track then channel order.
std::vector<SVoiceFeatures> DescribeVoices(const std::vector<SMidiNote>& notes);
// The top line of one voice: at each strike its highest note, unless a higher note taken before still
// sounds well past the strike; each taken note is cut where the next one starts.
std::vector<SMidiNote> TopLine(const std::vector<SMidiNote>& voiceNotes);
// The plain skyline over all notes given (drums included): the highest note sounding at each moment.
// A note covered by a higher one and uncovered again comes back from that moment, as a note of its own.
std::vector<SMidiNote> SkylineLine(const std::vector<SMidiNote>& notes);
// The words for a result, for the user.
std::string MelodyLineMessage(eMelodyLineResult eResult);

// The first notes of a line that fit a phone's note limit.
struct SMelodyCut {
    std::size_t nKept = 0;     // notes kept from the start of the line
    bool bAtPhraseEnd = false; // the cut follows a rest or a long note (else it is at the limit itself)
};
// Where to cut a line of more than nMaxNotes notes: after the last phrase end (a rest or a long note) in
// the second half of the allowed notes, else at the limit. A line that fits is kept whole.
SMelodyCut CutAtPhraseEnd(const std::vector<SMidiNote>& line, std::size_t nMaxNotes);

} // namespace corvina
