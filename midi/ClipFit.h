// Fits a clip to a phone: a copy that never needs more voices than the phone has and fits its largest
// tone, made by ending notes early or leaving them out, the least important first. Rules: docs/voices.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "NoteList.h"

namespace corvina {

// What a note is to the tune; the fit keeps the later roles longest.
enum class ENoteRole : std::uint8_t { Drum, Inner, Bass, Melody };

// The built-in roles, one per note of notes: channel 9 is drums; of the other notes, one that no
// sounding note lies above when it starts is the melody, one that none lies below is the bass (when
// it is not alone), the rest are inner voices.
std::vector<ENoteRole> TuneRoles(const std::vector<SMidiNote>& notes);

struct SClipFitOptions {
    int nVoices = 0;           // most notes sounding at once; 0: no limit
    std::size_t nMaxBytes = 0; // largest file in bytes; 0: no limit
    // The roles of the clip's notes (given sorted by start, then key; times in microseconds of the
    // clip's tempo map), one per note. Empty: TuneRoles. The editor can put a better melody line here.
    std::function<std::vector<ENoteRole>(const std::vector<SMidiNote>&)> roles;
};

struct SClipFitResult {
    std::string strError;               // empty when fitted; otherwise why not (and bytes is empty)
    bool bReadable = false;             // the bytes were read as a MIDI file (a failure is then the limits')
    std::vector<std::uint8_t> bytes;    // the fitted copy: a Standard MIDI File of one track (format 0)
    int nVoicesBefore = 0;              // the clip's own peak
    int nVoices = 0;                    // the copy's peak
    std::size_t nBytesBefore = 0;       // the clip's size
    std::vector<SMidiNote> dropped;     // notes left out
    std::vector<SMidiNote> shortened;   // notes ended early, with the end they now have
    bool bChannelOrderFromFile = false; // an SP-MIDI priority message decided the channel order
    bool Ok() const { return strError.empty(); }
};

// Fits the clip file's bytes (format 0 or 1). A file that is not a Standard MIDI File, or limits
// that cannot be met with at least one note kept, give an error and no bytes.
SClipFitResult FitClip(std::span<const std::uint8_t> smf, const SClipFitOptions& options);

} // namespace corvina
