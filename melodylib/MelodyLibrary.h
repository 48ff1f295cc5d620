// The melody library: iMelody text in, Standard MIDI File out.
#pragma once

#include <cstdint>
#include <iosfwd>

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

} // namespace corvina
