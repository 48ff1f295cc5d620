// Where a clip of a tune may start and end: note onsets that no note is held across, so a clip never
// cuts into a sounding note and begins where a phrase does.
#pragma once

#include "NoteList.h"

#include <cstdint>
#include <vector>

namespace corvina {

class CPhraseBoundaries {
public:
    // Onsets of every note; held notes of every channel but the drums, whose notes are strokes.
    explicit CPhraseBoundaries(const std::vector<SMidiNote>& notes);

    // Whether there is any note at all.
    bool Empty() const { return m_onsets.empty(); }
    // The first onset.
    std::int64_t FirstOnset() const { return m_onsets.front(); }
    // The latest release of any note: where the tune ends.
    std::int64_t TuneEnd() const { return m_tuneEnd; }
    // The clean onset nearest to wantedUs within reachUs (the earlier one of two as near); without one
    // there, the onset within reach across which the fewest notes are held; without any onset
    // within reach, the nearest clean onset of the tune.
    std::int64_t StartNear(std::int64_t wantedUs, std::int64_t reachUs) const;
    // The latest clean onset at or before latestUs (the first onset when there is none).
    std::int64_t StartAtOrBefore(std::int64_t latestUs) const;
    // Where a clip from startUs should end: the clean onset (or the tune's end) nearest to wantedUs
    // that gives a length within [minLengthUs, maxLengthUs]; when none does, the one whose length
    // comes nearest to that range. The clip keeps the notes before it and none from it on.
    std::int64_t EndFor(std::int64_t startUs, std::int64_t wantedUs, std::int64_t minLengthUs,
                        std::int64_t maxLengthUs) const;
    // The clean onset that starts the stretch of lengthUs with the most note onsets; of equally full
    // stretches, the one after the longest pause.
    std::int64_t DensestStart(std::int64_t lengthUs) const;

private:
    // Whether nothing (or, in a tune where something is always held, as little as anywhere) is held
    // across onset i.
    bool IsClean(std::size_t i) const { return m_held[i] <= m_leastHeld; }

    std::vector<std::int64_t> m_onsets; // distinct onsets, ascending
    std::vector<int> m_held;            // notes held across each onset
    std::vector<int> m_notesBefore;     // notes starting before each onset (one more entry: all)
    std::vector<std::int64_t> m_pause;  // time since the previous onset plus the silence before each
    int m_leastHeld = 0;                // the fewest notes held across any onset
    std::int64_t m_tuneEnd = 0;         // latest release
};

} // namespace corvina
