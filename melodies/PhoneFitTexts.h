// Texts of the clip editor that weigh a clip against the phone: its voices and size against the
// phone's limits, the question before an oversized clip is sent, the melody line's messages, the
// save dialog's formats, and the words of a suggested clip's reason, in the strings' language.
#pragma once

#include "ClipReason.h"
#include "MelodyLine.h"
#include "PhoneProfile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvina {

class CResource;

// What the clip needs, measured.
struct SClipNeeds {
    int nVoices = 0;          // the most notes sounding at once
    std::uint64_t nBytes = 0; // the clip file's size
};

// "Voices 23 / 16 · 12 KB / 30 KB" (without a limit: "Voices 23 · 12 KB"), what a screen reader
// says of it (the same, and for each part over its limit that it is more than the phone takes),
// and whether a part is over.
struct SLimitsText {
    std::string shown;
    std::string spoken;
    bool bVoicesOver = false;
    bool bBytesOver = false;
    bool Over() const { return bVoicesOver || bBytesOver; }
};
SLimitsText ClipLimitsText(const SClipNeeds& needs, const SoundProfile& phone, const CResource& strings);
// The question before a clip over the phone's limits is sent; the counts are those of the fitted copy.
std::string OverLimitQuestion(const SLimitsText& limits, const SClipNeeds& needs, const SoundProfile& phone,
                              std::size_t dropped, std::size_t shortened, const CResource& strings);

// Why a clip has no melody line (no notes: 4590, only drums, only chords).
std::string MelodyLineFailureText(eMelodyLineResult result, const CResource& strings);
// That the phone's note limit cut the line, and how many notes it kept.
std::string MelodyCutText(std::size_t kept, std::size_t total, long limit, const CResource& strings);

// The save dialog's filter: MIDI, iMelody, RTTTL and all files.
std::string BuildSaveFilter(const CResource& strings);
// The format a saved file takes: by its extension, else by the filter chosen (0 MIDI, 1 iMelody,
// 2 RTTTL); the extension the path then needs is appended when it has none.
enum class eSavedFormat { Midi, iMelody, RTTTL };
eSavedFormat SavedFormatOf(std::string& path, int filterIndex);

// The words of a suggested clip's reason in the strings' language.
SClipReasonWords ClipReasonWordsOf(const CResource& strings);

} // namespace corvina
