// How many voices a clip needs: the most notes that sound at once, and when that is first reached.
#pragma once

#include <cstdint>
#include <vector>

#include "NoteList.h"

namespace corvina {

// The peak of a note list.
struct SVoicePeak {
    int nVoices = 0;          // most notes sounding at one moment; 0 for no notes
    std::uint32_t dwAtUs = 0; // the first moment with that many (the notes' own time base)
};

// A note sounds from its start up to, not including, its end: a restruck key (ended and started at the
// same moment) counts once, and a note of no length takes no voice. Drum notes count like any other.
SVoicePeak PeakVoices(const std::vector<SMidiNote>& notes);

} // namespace corvina
