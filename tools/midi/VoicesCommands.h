// corvina-midi's voices, fit and render: the voices a clip needs, a copy fitted to a phone, and the
// clip's sound as the PC or a phone plays it.
#pragma once

#include <string>
#include <vector>

namespace corvina::tool {

constexpr int kExitCannotFit = 4;   // fit: the limits cannot be met with a note kept
constexpr int kExitNoSoundFont = 5; // render: no General MIDI SoundFont is installed

// voices FILE [clip options]: prints {"voices": N, "at_ms": T, "notes": K}.
int RunVoices(const std::vector<std::string>& args);
// fit FILE --voices N [--max-bytes B] -o OUT: writes the fitted copy, prints what it cost as JSON.
int RunFit(const std::vector<std::string>& args);
// render FILE [clip options] [--as-phone] [--voices N] [--speaker LOW-HIGH] -o OUT.wav: the player's
// file mode, as the PC or as the phone plays the clip.
int RunRender(const std::vector<std::string>& args);

} // namespace corvina::tool
