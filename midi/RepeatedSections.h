// Finds the sections of a tune that come back, also transposed or with a few notes changed: the steps
// behind the clip suggestion, kept apart so each can be reasoned about on its own (docs/clip-suggestion.md).
#pragma once

#include "NoteList.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace corvina {

// One note of the top line: the highest note starting at an onset, unless a higher one still sounds.
struct STopNote {
    std::int64_t startUs = 0; // onset
    std::int64_t endUs = 0;   // release
    int key = 0;              // MIDI key
    int velocity = 0;         // loudness, 1 to 127
};

// The tune reduced to one line: the notes people follow. Drums are left out unless nothing else plays.
std::vector<STopNote> OnsetTopLine(const std::vector<SMidiNote>& notes);

// What counts as a return when comparing the top line with itself.
struct SRepeatLimits {
    std::int64_t minLagUs = 7500000;   // shortest time between a stretch and its return
    std::int64_t toleranceUs = 35000;  // onsets this far apart still count as the same rhythm
    std::int64_t minSpanUs = 3000000;  // shortest stretch worth reporting
    std::int64_t maxSpanUs = 70000000; // longest: a longer return is reported in pieces this long
    int maxSemitones = 12;             // largest transposition looked for (0 for drums)
};

// A stretch of the top line heard again later: the first hearing [aStartUs, aEndUs), the second
// shifted by lagUs and transposed by semitones.
struct SRepeatPair {
    std::int64_t aStartUs = 0;             // first hearing: its first agreeing onset
    std::int64_t aEndUs = 0;               // first hearing: the onset after its last agreeing note (or that note's end)
    std::int64_t lagUs = 0;                // time from the first hearing to the second
    int semitones = 0;                     // transposition of the second hearing
    int matched = 0;                       // notes of the first hearing found again
    std::vector<std::int64_t> unmatchedUs; // onsets, in the first hearing's time, of notes of either
                                           // hearing without a partner (changed, added or left out)
};

// Every return of at least limits.minSpanUs: the top line's self-similarity walked along its
// diagonals (note i against note i + k), a run kept while rhythm and transposition hold, forgiving two
// changed notes in a row; runs of one shift and transposition that an added or dropped note split are
// joined again. At most maxPairs, those with the most agreeing notes.
std::vector<SRepeatPair> FindRepeatPairs(const std::vector<STopNote>& line, const SRepeatLimits& limits,
                                         std::size_t maxPairs = 1500);

// One appearance of a repeated section, relative to the section's reference hearing.
struct SSectionMember {
    std::int64_t shiftUs = 0; // time from the reference hearing to this one
    int semitones = 0;        // transposition against the reference
    double coverage = 1.0;    // share of the reference found here (1: all of it)
    bool varied = false;      // some notes differ, or the ending does
};

// A section and every appearance of it.
struct SRepeatedSection {
    std::int64_t startUs = 0;            // the reference hearing's start
    std::int64_t endUs = 0;              // and its end
    std::vector<SSectionMember> members; // every appearance in time order, the reference (shift 0) among them
    double score = 0;                    // how often it returns, weighed by fit and prominence
};

// The section that returns most often, with a length near [minLengthUs, maxLengthUs] and prominent in
// the tune (higher and louder than its average), or nothing when no stretch returns.
std::optional<SRepeatedSection> BestRepeatedSection(const std::vector<SRepeatPair>& pairs,
                                                    const std::vector<STopNote>& line, std::int64_t minLengthUs,
                                                    std::int64_t maxLengthUs);

} // namespace corvina
