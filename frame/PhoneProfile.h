// Reading a phone type's profile from the registry: volume scale, multi-channel support, standard
// folders and tone counts, with the defaults that stand when a value is missing.
#pragma once

#include <string>

namespace corvina {

// The tones page's volume fields.
struct VolumeProfile {
    long lVolStart = 1;
    long lVolEnd = 4;
    bool bIncreasingVol = true;
    long lIncreasingVolPos = 4;
};

// The main dialog's profile fields.
struct FrameProfile {
    bool bRtByFilename = true;
    std::string strRtStdFolder;
    std::string strImyStdFolder;
    long lNumberFixRt = 40;
    long lNumberUserdefRt = 2;
    long lNumberRt = 0; // NumberFixRt + NumberUserdefRt once read
    long lFirstUsedIndexRt = 0;
};

// How the phone sounds and how large a tone it takes; 0 in a limit means no limit is known.
struct SoundProfile {
    long lPolyphony = 0;        // most notes the phone's synthesizer sounds at once
    long lMaxToneBytes = 0;     // largest ringtone file the phone accepts
    long lSpeakerLowHz = 800;   // where the speaker's sound starts (high-pass corner)
    long lSpeakerHighHz = 5000; // where it falls off again (low-pass corner)
    long lMaxMelodyNotes = 0;   // most notes of a melody line the phone plays (iMelody, RTTTL); 0: no limit
    bool bTakesMidi = true;     // false: the phone plays no MIDI file, only a melody line ("TakesMidi"=0)
};

// The registry key of a phone type's profile.
std::string ProfileKey(const std::string& phoneType);

// Nonzero when the suite has a profile for the phone type.
int IsSupportedPhone(const std::string& phoneType);

// "RtIncreasingVol" and, for the platform family, "RtVolStart"/"RtVolEnd"; 0 when a required value
// is missing (the fields then take the defaults named for it).
int GetVolInfosFromRegdb(const std::string& phoneType, VolumeProfile& volume);
// "RtAccMultiChannel": the flag is true exactly when the value is 1; 0 when missing (flag false).
int GetAcceptsMultiChannelFromRegdb(const std::string& phoneType, int& acceptsMultiChannel);
// The standard folders and the folder-mode flag; the result is whether the phone is supported.
int ReadRtStdFolderFromRegdb(const std::string& imei, const std::string& phoneType, FrameProfile& profile);
// "NumberFixRt", "NumberUserdefRt" (both required) and "FirstUsedIndexRt".
int GetNumberRtFromRegdb(const std::string& phoneType, FrameProfile& profile);

// "Polyphony", "MaxToneBytes", "SpeakerLowHz", "SpeakerHighHz", "MaxMelodyNotes" and "TakesMidi"
// into a fresh SoundProfile; a missing
// (or not positive) value leaves the default. 0 (and all defaults) when the phone has no profile.
int GetSoundProfileFromRegdb(const std::string& phoneType, SoundProfile& sound);

// The whole profile in the order the editor reads it; the result is the connected state.
int ReadProfile(const std::string& imei, const std::string& phoneType, FrameProfile& frame, VolumeProfile& volume,
                int& acceptsMultiChannel);

// The message a phone without a profile gets: 4022 for the unsupported platform, else 547.
unsigned UnsupportedPhoneMessage(const std::string& phoneType);

} // namespace corvina
