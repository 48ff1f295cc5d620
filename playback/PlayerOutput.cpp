// Reads the player's output settings from the registry.
#include "PlayerOutput.h"

#include "CMciPlayer.h"
#include "CRegistryHelper.h"
#include "CResource.h"
#include "TempFolder.h"

namespace corvina {

PLAYER_OUTPUT ReadPlayerOutput()
{
    CRegistryHelper registry;
    PLAYER_OUTPUT out;
    std::error_code ec;

    std::string value;
    if (registry.bGetStringFromRegistry(value, "SoundFont", HKEY_LOCAL_MACHINE, kSuiteRootKey) && !value.empty() &&
        std::filesystem::is_regular_file(value, ec))
        out.SoundFont = value;
    for (const char* candidate : kSoundFontCandidates) {
        if (!out.SoundFont.empty())
            break;
        if (std::filesystem::is_regular_file(candidate, ec))
            out.SoundFont = candidate;
    }

    value.clear();
    if (registry.bGetStringFromRegistry(value, "AudioDriver", HKEY_LOCAL_MACHINE, kSuiteRootKey))
        out.AudioDriver = value;

    value.clear();
    if (registry.bGetStringFromRegistry(value, "AudioFile", HKEY_LOCAL_MACHINE, kSuiteRootKey) && !value.empty())
        out.AudioFile = value;
    else
        out.AudioFile = ProcessTempFolder() / "corvina-play.wav";

    long realTime = 0;
    if (registry.bGetDWordAsLongFromRegistry(realTime, "AudioFileRealTime", HKEY_LOCAL_MACHINE, kSuiteRootKey))
        out.RealTime = realTime != 0;
    return out;
}

std::string PlayFailureText(const CMciPlayer& player, const CResource& strings)
{
    unsigned id = 0;
    switch (player.GetLastFailure()) {
    case EPlayFailure::NoAudioOutput: id = 4700; break;
    case EPlayFailure::NoSoundFont: id = 4701; break;
    case EPlayFailure::AudioFileFailed: id = 4702; break;
    case EPlayFailure::None:
    case EPlayFailure::NoFile: return {};
    }
    std::string text = strings.GetString(id);
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, player.GetFailureDetail());
    return text;
}

} // namespace corvina
