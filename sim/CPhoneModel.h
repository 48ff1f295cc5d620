// What a phone family can do: the virtual phone answers each command the way its family does.
#pragma once

#include <string>
#include <vector>

namespace corvina {

// The behaviour of one phone type, taken from the phone family it belongs to.
class CPhoneModel {
public:
    // The phone type (the model that AT+CGMM answers).
    std::string m_strType;
    // BIRCH family: the type contains "BIRCH" or is "MOSAIC" (ignoring case).
    bool m_bBirch = false;
    // R41 caller-group family: its own volume scale (AT^CLVL=?) and twenty ringing lines.
    bool m_bR41 = false;
    // Ringtones are files in a standard folder (false: numbered tone slots).
    bool m_bFolderMode = true;
    // Standard folders under the phone's file system; empty when the phone has none.
    std::string m_strRtStdFolder;
    std::string m_strImyStdFolder;
    // Volume scale of the general ringing line (AT+CRSL=?).
    int m_nVolStart = 1;
    int m_nVolEnd = 4;
    // Volume scale of the group phones (AT^CLVL=?); only the R41 group answers it.
    int m_nGroupVolStart = 1;
    int m_nGroupVolEnd = 5;
    // Tone slots: fixed (built-in) ones, user-defined ones and the number of the first one.
    int m_nNumberFixRt = 40;
    int m_nNumberUserdefRt = 0;
    int m_nFirstUsedIndexRt = 1;

    // The model for a phone type; false when the type belongs to no known family.
    static bool FromType(const std::string& strType, CPhoneModel& model);
    // The phone types the program knows by name, in a stable order.
    static std::vector<std::string> KnownTypes();

    // Whether the phone numbers its tone files (the BIRCH family does).
    bool NumbersTones() const { return m_bBirch && m_bFolderMode; }
    // Whether a volume lies on the general scale.
    bool IsVolumeInRange(int nVolume) const { return nVolume >= m_nVolStart && nVolume <= m_nVolEnd; }
    // Lowest and highest tone index AT^CRTN accepts.
    int FirstToneIndex() const;
    int LastToneIndex() const;
    // The user slot whose uploaded melody a tone index plays; -1 for a fixed tone. The list shows
    // the user tones after the fixed ones, the first of them ("User-defined 01") being the highest
    // slot: user tone k of N is slot N - k, the slot an upload to it goes to.
    int UserToneSlot(int nToneIndex) const;
};

} // namespace corvina
