// Everything the virtual phone remembers: its settings file and its file system, in one folder.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "CPhoneFileSystem.h"
#include "CPhoneModel.h"

namespace corvina {

// Tone and volume of one profile line (AT^CLTN).
struct SLineTone {
    int nTone = 1;
    int nVolume = 3;
    bool operator==(const SLineTone&) const = default;
};

// A user-defined tone slot that has been filled (AT^CUTB/CUTD/CUTE).
struct SUserTone {
    int nSize = 0;
    int nSum = 0;
    bool operator==(const SUserTone&) const = default;
};

// The phone's persistent settings; the state folder holds phone.conf, fs/ and usertones/.
class CPhoneState {
public:
    static constexpr const char* kSettingsFile = "phone.conf";
    static constexpr const char* kDefaultModel = "CX70";
    static constexpr const char* kDefaultImei = "350000000000017";

    std::string m_strModel = kDefaultModel;
    std::string m_strImei = kDefaultImei;
    // General ringing tone and its volume (AT^CRTN, AT+CRSL; AT^CLVL outside the caller groups).
    int m_nToneIndex = 1;
    int m_nToneVolume = 3;
    // Sound mode: AT+CALM (0 ring, 1 silent, 2 beep) and AT+CVIB (0 off, 1 on, 2 on second form).
    int m_nCalm = 0;
    int m_nCvib = 0;
    // Per profile line (6..26): tone and volume (AT^CLTN).
    std::map<int, SLineTone> m_lineTones;
    // Per ringing line (1..20): volume (AT^CLVL), caller-group phones only; other phones have the
    // one ringing volume above, whichever line AT^CLVL names.
    std::map<int, int> m_ringingLineVolumes;
    // Per profile line (6..26): the active file, "A:\folder\name" (AT^CAFL).
    std::map<int, std::string> m_activeFiles;
    // Filled user-defined slots; the data sit in usertones/<slot>.mid.
    std::map<int, SUserTone> m_userTones;
    // What the phone plays: "" (nothing), "tone <index>" or "file <path>".
    std::string m_strPlaying;

    // Opens the state folder (created when missing) and loads phone.conf when it exists.
    bool Open(const std::filesystem::path& dir, std::string& strError);
    // Writes phone.conf atomically (temporary file, then rename).
    bool Save(std::string& strError) const;

    // The settings file's text; Parse reads it back, skipping and reporting malformed lines.
    std::string Serialize() const;
    static CPhoneState Parse(const std::string& strText, std::vector<std::string>& problems);

    // Switches to another phone type: settings that depend on the family go back to its defaults.
    void ApplyModel(const CPhoneModel& model);
    // Settings of a line, with the family's defaults for a line never set.
    SLineTone LineTone(int nLine, const CPhoneModel& model) const;
    int RingingLineVolume(int nLine, const CPhoneModel& model) const;
    std::string ActiveFile(int nLine) const;
    // The sound mode word as the phone reports it: ringer 1/2/4 OR vibration 0x20/0x10/0x40.
    int SoundModeWord() const;

    const std::filesystem::path& Dir() const { return m_dir; }
    CPhoneFileSystem FileSystem() const { return CPhoneFileSystem(m_dir / "fs"); }
    std::filesystem::path UserToneFile(int nSlot) const;

    bool operator==(const CPhoneState& other) const;

private:
    std::filesystem::path m_dir;
};

} // namespace corvina
