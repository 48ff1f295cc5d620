// What the MIDI reader carries from one event to the next: tempo, division, running time and running status.
// There is one copy for the whole program: running status deliberately carries over between tracks and files.
#pragma once

#include <cstdint>

namespace corvina {

struct MidiReaderState {
    std::uint32_t dwTempo = 500000;     // microseconds per quarter note in effect
    std::int32_t nDivision = 96;        // ticks per quarter of the track being read
    std::uint32_t dwRunningTime = 0;    // absolute time of the last event read, microseconds
    std::uint8_t byLastStatus = 0;      // last channel status byte seen by any track of any file
    std::int32_t nLastDataLength = 0;   // data bytes belonging to byLastStatus
};

// The program-wide reader state.
MidiReaderState& TheMidiReaderState();
// Puts the state back to how the program starts (for tests and the fuzzer, which need repeatable runs).
void ResetMidiReaderState();

// round(a × b / c): unsigned 64-bit product, floating-point quotient, add 0.5 and truncate; 0 when c is 0.
std::uint32_t MidiScale(std::uint64_t a, std::uint64_t b, std::uint64_t c);

} // namespace corvina
