// The one reader state of the program and the rounding rule shared by the reader and the clip writer.
#include "MidiReaderState.h"

namespace corvina {

MidiReaderState& TheMidiReaderState()
{
    static MidiReaderState state;
    return state;
}

void ResetMidiReaderState()
{
    TheMidiReaderState() = MidiReaderState{};
}

std::uint32_t MidiScale(std::uint64_t a, std::uint64_t b, std::uint64_t c)
{
    if (c == 0)
        return 0;
    const std::uint64_t product = a * b;
    const double quotient = static_cast<double>(product) / static_cast<double>(c) + 0.5;
    // The quotient fits in 64 bits for every input the reader can produce (a and b below 2^32,
    // one of them below 2^24 or 2^15); the 32-bit result wraps like the times it is added to.
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(quotient));
}

} // namespace corvina
