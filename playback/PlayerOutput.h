// Where the PC player's sound goes and which SoundFont it uses, as configured in the registry.
#pragma once

#include <filesystem>
#include <string>

namespace corvina {

class CMciPlayer;
class CResource;

// The driver name that renders into a WAV file instead of a sound card.
inline constexpr const char* kFileAudioDriver = "file";
// SoundFonts tried, in order, when the registry names none (or names one that is missing).
inline constexpr const char* kSoundFontCandidates[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

struct PLAYER_OUTPUT {
    std::string SoundFont;           // empty when none was found
    std::string AudioDriver;         // empty: try the system's usual drivers; kFileAudioDriver: render
    std::filesystem::path AudioFile; // the WAV file of file mode
    bool RealTime = false;           // file mode keeps playing speed instead of rendering at once
};

// Reads "SoundFont", "AudioDriver", "AudioFile" (strings) and "AudioFileRealTime" (DWORD) under the
// suite root; defaults as above and <temporary folder>/corvina-play.wav.
PLAYER_OUTPUT ReadPlayerOutput();

// What the user is told when a play could not start for want of sound (no SoundFont, no output,
// an audio file that cannot be written), in the strings' language; "" when there is nothing to
// tell (the play started, or there was nothing to play).
std::string PlayFailureText(const CMciPlayer& player, const CResource& strings);

} // namespace corvina
