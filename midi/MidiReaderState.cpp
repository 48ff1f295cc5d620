// The one reader state of the program.
#include "MidiReaderState.h"

namespace corvina {

MidiReaderState g_midiReaderState;

void ResetMidiReaderState()
{
    g_midiReaderState = MidiReaderState{};
}

} // namespace corvina
