// The "Ringtones on mobile" page: ringing lines, the phone's tones, volume and ringer mode.
#pragma once

#include "CDialog.h"
#include "CResource.h"
#include "CRingingtoneAccess.h"
#include "PhoneProfile.h"

#include <string>
#include <vector>

class wxListCtrl;

namespace corvina {

class CRingingtoneDlg;

class CTonesMobileDlg : public CDialog, public CRingingtoneAccess {
public:
    static constexpr int IDD = 4558;
    static constexpr int IDC_COMBO_LINES = 4559;
    static constexpr int IDC_LIST_TONES = 4560;
    static constexpr int IDC_SLIDER_VOLUME = 4501;
    static constexpr int IDC_LOAD_COMMENT = 4608;

    CTonesMobileDlg();
    ~CTonesMobileDlg() override;

    // The volume (track-bar position) of the current line.
    long GetVolume() const { return m_lVolume; }
    void SetVolume(long volume) { m_lVolume = volume; }
    long GetSoundMode() const { return m_lSoundMode; }
    const VolumeProfile& GetVolumeProfile() const { return m_Volume; }
    // Refreshes the page's controls from the phone's state.
    void UpdateControls();
    // Moves the member values into the controls.
    void PushToControls();

    // The volume scale of the phone's profile.
    int GetVolInfosFromRegdb();
    // Rebuilds the ringing lines for the connected phone type.
    void InitLinesFromType();
    // While the list loads, a note takes its place.
    void ShowLoadComment(bool show);
    // Rebuilds the tones list after a read-out.
    void InitTonesList();
    // Marks the active tone; with write nonzero it is first written to the phone.
    void UpdateTonesList(int write);
    // Appends a file written to the phone.
    void AddToTonesList(const std::string& name);
    // Takes over the values a read-out found on the phone.
    void SetRtInfos(long volStart, long volEnd, long toneIndex, long volume, long soundMode);
    // Switches the ringer to On; with write nonzero the phone is told when it was not On.
    void AddSoundModeNormal(int write);

    const std::vector<std::string>& GetLineNames() const { return m_LineNames; }
    const std::vector<int>& GetLineTypes() const { return m_LineTypes; }

protected:
    bool OnInitDialog() override;

private:
    wxListCtrl* List() const;

    CResource m_Resource;
    VolumeProfile m_Volume;
    long m_lVolume = 0;
    long m_lSoundMode = 33;
    std::vector<std::string> m_LineNames;
    std::vector<int> m_LineTypes;
};

} // namespace corvina
