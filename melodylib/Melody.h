// A melody as the iMelody reader produces it: header fields and the melody items in text order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvina {

// How much of its written length a note sounds: natural (20:1 note to gap), continuous, staccato (1:1).
enum class eMelodyStyle { Natural = 0, Continuous = 1, Staccato = 2 };

// Length modifier after a duration digit.
enum class eDurationSpec { Plain, Dotted, DoubleDotted, Triplet };

enum class eMelodyItemKind {
    Note,        // a sounding note: Key, Duration, Dotting
    Rest,        // silence: Duration, Dotting
    Volume,      // absolute (Value 0..15) or a step (Step +1/-1)
    Led,         // On: no sound
    Vibe,        // On: no sound
    Backlight,   // On: no sound
    RepeatBegin, // "(" of a repeat block
    RepeatEnd    // "@count" with optional volume step, closing the block
};

// One item of the melody line.
struct MelodyItem {
    eMelodyItemKind Kind = eMelodyItemKind::Rest;
    int Key = 0;      // MIDI key number of a note (iMelody octave 4 A, 880 Hz, is 81)
    int Duration = 2; // 0 whole .. 5 thirty-second
    eDurationSpec Dotting = eDurationSpec::Plain;
    int Value = -1;  // absolute volume 0..15; -1 for a step
    int Step = 0;    // volume step: +1 for V+, -1 for V- (volume items and repeat ends)
    bool On = false; // led, vibe and backlight switches
    int Count = 1;   // repeat count of a RepeatEnd; 0 means "forever"
};

// A note of a line that sounds one note at a time, in real time: what the writers of iMelody and RTTTL
// text start from (the melody line of a MIDI clip).
struct TimedNote {
    std::uint32_t StartUs = 0;
    std::uint32_t EndUs = 0; // at or before the next note's start
    int Key = 0;             // MIDI key number
};

// Header fields with the iMelody defaults, and the melody line.
struct Melody {
    std::string Version;
    std::string Format;
    std::string Name;
    std::string Composer;
    std::string Copyright;
    int Beat = 120; // quarter notes per minute, 25..900
    eMelodyStyle Style = eMelodyStyle::Natural;
    int Volume = 7; // 0..15
    std::vector<MelodyItem> Items;
};

} // namespace corvina
