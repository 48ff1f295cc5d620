// A clip's tune as one line of iMelody or RTTTL text: the line taken from the clip's notes, cut at a
// phrase end to a phone's note limit, at the clip's tempo. Shared by the editor and corvina-midi.
#pragma once

#include "MelodyLine.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvina {

class CMidiFile;

enum class eMelodyFormat { iMelody, RTTTL };

struct SMelodyText {
    eMelodyLineResult eResult = eMelodyLineResult::NoNotes; // Ok when there is a line
    SMelodyLine line;                                       // the line as written (cut when a limit cut it)
    std::size_t nTotal = 0;                                 // notes of the whole line before any cut
    bool bCut = false;                                      // the limit cut the line
    bool bAtPhraseEnd = false;                              // the cut follows a rest or a long note
    int nBeat = 120;                                        // quarter notes per minute of the clip's start
    std::string strText;  // the written text; empty when there is no line or it cannot be written
    std::string strError; // why it cannot be written (a key the format cannot say)
};

// The line of track and channel (-1, -1: all tracks) between the two times, at most nMaxNotes notes
// (0: no limit), written as the format with the name.
SMelodyText MelodyLineText(const CMidiFile& file, int nTrack, int nChannel, std::uint32_t dwFromUs,
                           std::uint32_t dwToUs, std::size_t nMaxNotes, eMelodyFormat format, const std::string& name);

} // namespace corvina
