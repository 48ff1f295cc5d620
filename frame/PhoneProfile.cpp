// Profile readers: each reads its values through the registry helper and applies the defaults.
#include "PhoneProfile.h"

#include "CRegistryHelper.h"
#include "PhoneType.h"

#include <utility>

namespace corvina {

std::string ProfileKey(const std::string& phoneType)
{
    return std::string(kSuiteRootKey) + "\\PhoneDependencies" + "\\" + phoneType;
}

int IsSupportedPhone(const std::string& phoneType)
{
    return CRegistryHelper::bIsKeyInSubkeyEnumeration(phoneType, kPhoneDependenciesKey);
}

int GetVolInfosFromRegdb(const std::string& phoneType, VolumeProfile& volume)
{
    if (phoneType.empty())
        return 0;
    CRegistryHelper registry;
    const std::string key = ProfileKey(phoneType);
    long increasing = 0;
    if (!registry.bGetDWordAsLongFromRegistry(increasing, "RtIncreasingVol", HKEY_LOCAL_MACHINE, key)) {
        volume.bIncreasingVol = true;
        volume.lIncreasingVolPos = 5;
        return 0;
    }
    int result = 1;
    if (IsBirchFamily(phoneType)) {
        long value = 0;
        volume.lVolStart =
            registry.bGetDWordAsLongFromRegistry(value, "RtVolStart", HKEY_LOCAL_MACHINE, key) ? value : 1;
        if (registry.bGetDWordAsLongFromRegistry(value, "RtVolEnd", HKEY_LOCAL_MACHINE, key)) {
            volume.lVolEnd = value;
        } else {
            volume.lVolEnd = 5;
            result = 0;
        }
    }
    if (increasing == 0) {
        volume.bIncreasingVol = false;
    } else {
        volume.bIncreasingVol = true;
        volume.lIncreasingVolPos = increasing == 1 ? volume.lVolStart : volume.lVolEnd;
    }
    return result;
}

int GetAcceptsMultiChannelFromRegdb(const std::string& phoneType, int& acceptsMultiChannel)
{
    CRegistryHelper registry;
    long value = 0;
    if (!registry.bGetDWordAsLongFromRegistry(value, "RtAccMultiChannel", HKEY_LOCAL_MACHINE, ProfileKey(phoneType))) {
        acceptsMultiChannel = 0;
        return 0;
    }
    acceptsMultiChannel = value == 1;
    return 1;
}

int ReadRtStdFolderFromRegdb(const std::string& imei, const std::string& phoneType, FrameProfile& profile)
{
    profile.strRtStdFolder.clear();
    profile.strImyStdFolder.clear();
    int result = 0;
    if (!imei.empty()) {
        result = IsSupportedPhone(phoneType);
        if (result) {
            CRegistryHelper registry;
            const std::string key = ProfileKey(phoneType);
            std::string folder;
            if (registry.bGetStringFromRegistry(folder, "RtStdFolder", HKEY_LOCAL_MACHINE, key))
                profile.strRtStdFolder = folder;
            if (ContainsBirch(phoneType) &&
                registry.bGetStringFromRegistry(folder, "ImyStdFolder", HKEY_LOCAL_MACHINE, key))
                profile.strImyStdFolder = folder;
        }
    }
    // Platform phones keep tones as files only when both of their folders are known.
    profile.bRtByFilename =
        !profile.strRtStdFolder.empty() && (!ContainsBirch(phoneType) || !profile.strImyStdFolder.empty());
    return result;
}

int GetNumberRtFromRegdb(const std::string& phoneType, FrameProfile& profile)
{
    CRegistryHelper registry;
    const std::string key = ProfileKey(phoneType);
    long value = 0;
    if (!registry.bGetDWordAsLongFromRegistry(value, "NumberFixRt", HKEY_LOCAL_MACHINE, key))
        return 0;
    profile.lNumberFixRt = value;
    if (!registry.bGetDWordAsLongFromRegistry(value, "NumberUserdefRt", HKEY_LOCAL_MACHINE, key))
        return 0;
    profile.lNumberUserdefRt = value;
    profile.lNumberRt = profile.lNumberFixRt + profile.lNumberUserdefRt;
    if (registry.bGetDWordAsLongFromRegistry(value, "FirstUsedIndexRt", HKEY_LOCAL_MACHINE, key))
        profile.lFirstUsedIndexRt = value;
    return 1;
}

int GetSoundProfileFromRegdb(const std::string& phoneType, SoundProfile& sound)
{
    // Another phone's figures must not stay behind when this one's profile leaves a value out.
    sound = SoundProfile{};
    if (phoneType.empty() || !IsSupportedPhone(phoneType))
        return 0;
    CRegistryHelper registry;
    const std::string key = ProfileKey(phoneType);
    for (auto [name, field] :
         {std::pair{"Polyphony", &sound.lPolyphony}, std::pair{"MaxToneBytes", &sound.lMaxToneBytes},
          std::pair{"SpeakerLowHz", &sound.lSpeakerLowHz}, std::pair{"SpeakerHighHz", &sound.lSpeakerHighHz},
          std::pair{"MaxMelodyNotes", &sound.lMaxMelodyNotes}}) {
        long value = 0;
        // A negative or zero figure is a mistake in a file, not a phone without a speaker: keep the default.
        if (registry.bGetDWordAsLongFromRegistry(value, name, HKEY_LOCAL_MACHINE, key) && value > 0)
            *field = value;
    }
    long takesMidi = 1;
    if (registry.bGetDWordAsLongFromRegistry(takesMidi, "TakesMidi", HKEY_LOCAL_MACHINE, key))
        sound.bTakesMidi = takesMidi != 0;
    return 1;
}

int ReadProfile(const std::string& imei, const std::string& phoneType, FrameProfile& frame, VolumeProfile& volume,
                int& acceptsMultiChannel)
{
    if (imei.empty() || !IsSupportedPhone(phoneType))
        return 0;
    int result = GetVolInfosFromRegdb(phoneType, volume);
    if (result)
        result = GetAcceptsMultiChannelFromRegdb(phoneType, acceptsMultiChannel);
    if (result)
        result = ReadRtStdFolderFromRegdb(imei, phoneType, frame);
    // Folder-mode phones outside the platform family need no tone counts.
    if (result && (!frame.bRtByFilename || IsBirchFamily(phoneType)))
        result = GetNumberRtFromRegdb(phoneType, frame);
    return result;
}

unsigned UnsupportedPhoneMessage(const std::string& phoneType)
{
    return IsAspen(phoneType) ? 4022 : 547;
}

} // namespace corvina
