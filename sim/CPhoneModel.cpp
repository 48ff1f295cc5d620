// The table of phone families the virtual phone can play.
#include "CPhoneModel.h"

#include <algorithm>
#include <cctype>

namespace corvina {

namespace {

// Highest tone index a folder-mode phone accepts in AT^CRTN: its built-in tones plus files.
constexpr int kMaxFolderToneIndex = 999;

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// Folder mode outside the BIRCH family (CX70 and its relatives).
CPhoneModel FolderPhone(const std::string& strType)
{
    CPhoneModel m;
    m.m_strType = strType;
    m.m_strRtStdFolder = "Ringtones";
    return m;
}

CPhoneModel BirchPhone(const std::string& strType, bool bImyFolder)
{
    CPhoneModel m = FolderPhone(strType);
    m.m_bBirch = true;
    m.m_nVolEnd = 5;
    if (bImyFolder)
        m.m_strImyStdFolder = "iMelodies";
    return m;
}

CPhoneModel IndexPhone(const std::string& strType, int nUserdef)
{
    CPhoneModel m;
    m.m_strType = strType;
    m.m_bFolderMode = false;
    m.m_nNumberUserdefRt = nUserdef;
    return m;
}

CPhoneModel R41Phone(const std::string& strType)
{
    CPhoneModel m = FolderPhone(strType);
    m.m_bR41 = true;
    m.m_nVolEnd = 5;
    return m;
}

} // namespace

bool CPhoneModel::FromType(const std::string& strType, CPhoneModel& model)
{
    // The BIRCH test is the editor's own: "BIRCH" anywhere (with case) or MOSAIC as a whole word.
    if (strType.find("BIRCH") != std::string::npos) {
        model = BirchPhone(strType, true);
        return true;
    }
    if (EqualsIgnoringCase(strType, "MOSAIC")) {
        model = BirchPhone(strType, false);
        return true;
    }
    if (strType == "CX70") {
        model = FolderPhone(strType);
        return true;
    }
    if (strType == "ME45") {
        model = IndexPhone(strType, 5);
        return true;
    }
    if (strType == "R15") {
        model = IndexPhone(strType, 2);
        return true;
    }
    for (const char* r41 : {"R41", "RX41", "RX4A", "RX4E", "MV72", "MV73"}) {
        if (EqualsIgnoringCase(strType, r41)) {
            model = R41Phone(strType);
            return true;
        }
    }
    return false;
}

std::vector<std::string> CPhoneModel::KnownTypes()
{
    return {"CX70", "BIRCH-M55", "MOSAIC", "ME45", "R15", "RX41", "R41"};
}

int CPhoneModel::FirstToneIndex() const
{
    return m_bFolderMode ? 0 : m_nFirstUsedIndexRt;
}

int CPhoneModel::LastToneIndex() const
{
    if (m_bFolderMode)
        return kMaxFolderToneIndex;
    return m_nFirstUsedIndexRt + m_nNumberFixRt + m_nNumberUserdefRt - 1;
}

int CPhoneModel::UserToneSlot(int nToneIndex) const
{
    const int k = nToneIndex - (m_nFirstUsedIndexRt + m_nNumberFixRt) + 1;
    if (m_bFolderMode || k < 1 || k > m_nNumberUserdefRt)
        return -1;
    return m_nNumberUserdefRt - k;
}

} // namespace corvina
