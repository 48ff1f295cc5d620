// What the MIDI reader carries from one event to the next: tempo, division, running time and running status.
// There is one copy for the whole program: running status deliberately carries over between tracks and files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvina {

struct MidiReaderState {
    std::uint32_t dwTempo = 500000;   // microseconds per quarter note in effect
    std::int32_t nDivision = 96;      // ticks per quarter of the track being read
    std::uint32_t dwRunningTime = 0;  // absolute time of the last event read, microseconds
    std::uint8_t byLastStatus = 0;    // last channel status byte seen by any track of any file
    std::int32_t nLastDataLength = 0; // data bytes belonging to byLastStatus
};

// The program-wide reader state (a plain global: it is touched for every event read).
extern MidiReaderState g_midiReaderState;
inline MidiReaderState& TheMidiReaderState()
{
    return g_midiReaderState;
}
// Puts the state back to how the program starts (for tests and the fuzzer, which need repeatable runs).
void ResetMidiReaderState();

// round(a × b / c): unsigned 64-bit product, floating-point quotient, add 0.5 and truncate; 0 when c is 0.
// Both factors are below 2^32 and one of them below 2^24, so the quotient fits in 64 bits; the 32-bit
// result wraps like the times it is added to.
inline std::uint32_t MidiScale(std::uint64_t a, std::uint64_t b, std::uint64_t c)
{
    const std::uint64_t product = a * b;
    if (c == 0 || product == 0) // 0 + 0.5 truncates to 0: no division needed
        return 0;
    const double quotient = static_cast<double>(product) / static_cast<double>(c) + 0.5;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(quotient));
}

// The last 256 delta times worked out for one tempo and division. A file repeats a few deltas over
// and over, and the floating-point division is the costliest step of reading an event.
struct MidiTimeMemo {
    std::uint32_t tempo = 0;
    std::uint32_t division = 0;
    std::uint32_t generation = 1;
    std::uint32_t key[256] = {};
    std::uint32_t value[256] = {};
    std::uint32_t made[256] = {}; // generation the entry belongs to; 0 is never current
};
// The memo that goes with the program-wide reader state (and has the same single user at a time).
extern MidiTimeMemo g_midiTimeMemo;

// The microseconds a delta of `delta` ticks lasts: MidiScale(tempo, delta, division), remembered in
// memo. The result is always MidiScale's.
inline std::uint32_t MidiDeltaMicroseconds(MidiTimeMemo& memo, std::uint32_t tempo, std::uint32_t delta,
                                           std::uint32_t division)
{
    if (delta == 0) // chords: no time passes
        return 0;
    if (tempo != memo.tempo || division != memo.division) {
        memo.tempo = tempo;
        memo.division = division;
        if (++memo.generation == 0) { // after 2^32 changes: forget every entry for real
            for (std::uint32_t& made : memo.made)
                made = 0;
            memo.generation = 1;
        }
    }
    const std::size_t slot = delta & 0xFFu;
    if (memo.made[slot] == memo.generation && memo.key[slot] == delta)
        return memo.value[slot];
    const std::uint32_t value = MidiScale(tempo, delta, division);
    memo.key[slot] = delta;
    memo.value[slot] = value;
    memo.made[slot] = memo.generation;
    return value;
}

} // namespace corvina
