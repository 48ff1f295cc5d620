// Words the reason for a suggested clip ("returns 3 times; second return a fourth higher") from a
// table of phrases, so the editor can give the same sentence in its user's language.
#pragma once

#include "ClipSuggestion.h"

#include <array>
#include <string>
#include <vector>

namespace corvina {

// The phrases a reason is made of. Templates hold {n}, {return} and {interval}, replaced as named.
struct SClipReasonWords {
    std::array<std::string, 13> intervals; // a transposition of 0 to 12 semitones ("a fourth" for 5)
    std::string semitones;                 // one beyond the table: "{n} semitones"
    std::vector<std::string> returns;      // the first, second ... return, in order ("second return")
    std::string returnNumber;              // a return beyond that list: "return {n}"
    std::string returnsOnce;               // "returns once"
    std::string returnsTimes;              // "returns {n} times"
    std::string higher;                    // "{return} {interval} higher"
    std::string lower;                     // "{return} {interval} lower"
    std::string varied;                    // "{return} varied"
    std::string higherVaried;              // "{return} {interval} higher and varied"
    std::string lowerVaried;               // "{return} {interval} lower and varied"
    std::string separator;                 // between the parts: "; "
    std::string noRepeat;                  // nothing returns: the busiest stretch
    std::string wholeTune;                 // the tune is as short as a clip
    std::string noNotes;                   // nothing to suggest
};

// The English phrases.
const SClipReasonWords& EnglishClipReasonWords();

// Why the clip was suggested, in the given phrases: how often the section returns and, per return
// (every appearance after the first), its transposition and whether it is varied.
std::string WordClipReason(const SClipSuggestion& suggestion, const SClipReasonWords& words = EnglishClipReasonWords());

} // namespace corvina
