// The one reader state of the program.
#include "MidiReaderState.h"

namespace corvina {

MidiReaderState g_midiReaderState;
MidiTimeMemo g_midiTimeMemo;

void ResetMidiReaderState()
{
    g_midiReaderState = MidiReaderState{};
    g_midiTimeMemo = MidiTimeMemo{};
}

} // namespace corvina
