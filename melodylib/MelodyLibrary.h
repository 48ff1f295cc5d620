// The melody library: iMelody text in, Standard MIDI File out.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "Melody.h"
#include "unsupported_format.h"

namespace corvina {

// Longest repeat count accepted after "@".
constexpr int kMaxRepeatCount = 9999;
// A repeat block marked "forever" (count 0) is written this many times.
constexpr int kForeverRepeatPlays = 1;
// Ticks per quarter note of the files ExportSMF writes.
constexpr int kSmfDivision = 96;
// No file is written longer than this, whatever the bound (milliseconds).
constexpr std::int32_t kLongestSmfMs = 3600000;
// No file carries more note and volume events than this, whatever its length: a short text of
// repeated volume steps could otherwise unroll into millions of events.
constexpr int kMaxSmfEvents = 100000;
// The bound that means "the whole melody".
constexpr std::int32_t kUnboundedSmfLength = 0x7FFFFFFF;

// Reads one iMelody object (BEGIN:IMELODY .. END:IMELODY) into melody; unsupported_format on bad input,
// including a stream that is already in its failed state or empty. melody is left unchanged on error.
void ImportiMelody(std::istream& in, Melody& melody);

// Writes the melody as a format-0 Standard MIDI File. maxLength bounds the length in milliseconds
// (kUnboundedSmfLength for the whole melody); a longer melody is cut there with its notes ended. The
// melody also ends once kMaxSmfEvents note and volume events have been written.
// Returns the number of notes written. Throws std::ios_base::failure when the stream fails.
int ExportSMF(const Melody& melody, std::ostream& out, std::int32_t maxLength);

// The note values a text format can write: iMelody has dots, double dots and triplets, RTTTL only dots.
enum class eNoteValues { iMelody, RTTTL };
// Lowest and highest MIDI keys each format can write (iMelody *0 c to *8 g, RTTTL octave 4 c to 7 b).
constexpr int kLowestiMelodyKey = 24;
constexpr int kHighestiMelodyKey = 127;
constexpr int kLowestRtttlKey = 60;
constexpr int kHighestRtttlKey = 107;

// Quarter notes per minute for a MIDI tempo (microseconds per quarter), within iMelody's 25..900.
int BeatFromTempo(std::uint32_t usPerQuarter);
// A line of one note at a time as a melody at `beat`: each note and each gap (a rest) gets the nearest
// note value the format has, measured from the written position so that errors never add up; gaps too
// short for a rest stay with the note before. Keys outside the format's range move by octaves (RTTTL:
// the whole line first, by the octaves that fit most notes). The melody starts with the first note.
Melody MelodyFromLine(const std::vector<TimedNote>& line, int beat, eNoteValues values, const std::string& name);

// Writes the melody as iMelody 1.2 text: CRLF line ends, lines folded at 75 octets between melody items,
// the octave written before the first note and at each change. unsupported_format for keys below *0 c;
// std::ios_base::failure when the stream fails.
void ExportiMelody(const Melody& melody, std::ostream& out);
// Writes the notes and rests of the melody as one line of RTTTL, "name:d=D,o=O,b=B:notes", with the most
// frequent duration and octave as d and o. unsupported_format for what RTTTL cannot say: keys outside
// octaves 4 to 7, double-dotted or triplet values, repeat blocks; std::ios_base::failure when the stream fails.
void ExportRTTTL(const Melody& melody, std::ostream& out);

} // namespace corvina
