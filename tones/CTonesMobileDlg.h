// The "Ringtones on mobile" page: ringing lines, the phone's tones, the volume scale and the ringer
// mode with vibration. Every change goes to the phone at once.
#pragma once

#include "CDialog.h"
#include "CPlayOnMobileSubDlg.h"
#include "CResource.h"
#include "CRingingtoneAccess.h"
#include "CTonesPhone.h"
#include "ITonesPlayParent.h"
#include "PhoneProfile.h"
#include "TonesListItems.h"

#include <wx/timer.h>

#include <string>
#include <vector>

class wxImageList;
class wxStaticBitmap;

namespace corvina {

class CListCtrl;

class CTonesMobileDlg : public CDialog, public CRingingtoneAccess, public ITonesPlayParent {
public:
    static constexpr int IDD = 4558;
    static constexpr int IDC_COMBO_LINES = 4559;
    static constexpr int IDC_LIST_TONES = 4560;
    static constexpr int IDC_SLIDER_VOLUME = 4501;
    static constexpr int IDC_RADIO_ON = 4561;
    static constexpr int IDC_RADIO_OFF = 4510;
    static constexpr int IDC_RADIO_BEEP = 4511;
    static constexpr int IDC_CHECK_VIBRA = 4512;
    static constexpr int IDC_LABEL_LINES = 4545;
    static constexpr int IDC_LOAD_COMMENT = 4608;

    CTonesMobileDlg();
    ~CTonesMobileDlg() override;

    // The volume (track-bar position) of the current line.
    long GetVolume() const { return m_lVolume; }
    void SetVolume(long volume) { m_lVolume = volume; }
    long GetSoundMode() const override { return m_lSoundMode; }
    // Features the phone lacks (eLackingFeature bits): their controls are disabled, their
    // commands never sent.
    void SetLackingFeatures(unsigned lacking) { m_nLacking = lacking; }
    const VolumeProfile& GetVolumeProfile() const { return m_Volume; }
    // Volume start and end as a freshly built page has them.
    void SetVolDefaults();

    // Reset and refresh all controls.
    void InitControls();
    void UpdateControls();
    // Moves the member values into the controls.
    void PushToControls();
    // Reads the controls into the members.
    void PullFromControls();

    // Ringing lines (rebuilt for the connected phone type) and the user's choice of one.
    void InitLinesFromType();
    void OnSelchangeComboLines();
    // The type of the selected line; -1 when none is selected.
    int GetSelectedLineType() const;

    // Tones list.
    void ShowLoadComment(bool show);
    void InitTonesList();
    void UpdateTonesList(int write);
    void OnClickListTones(long item);
    void AddToTonesList(const std::string& name);

    // Volume scale and sound mode.
    int GetVolInfosFromRegdb();
    void UpdateSlider();
    void DeleteSliderTicStatics();
    void UpdateSliderPos();
    void OnReleasedcaptureSliderVolume();
    void UpdateSoundMode(int setRingOn);
    void WriteSoundMode();
    void OnRadioOn() { WriteSoundMode(); }
    void OnRadioOff() { WriteSoundMode(); }
    void OnRadioBeep() { WriteSoundMode(); }
    void OnCheckVibra() { WriteSoundMode(); }
    void AddSoundModeNormal(int write) override;
    // Puts a sound mode word back after playing on the phone: the controls show it and, with
    // write, the phone is told.
    void RestoreSoundMode(long soundMode, bool write) override;

    // Exchange with the phone.
    void GetCurVolumeFromPhone(long linePosition);
    int SetCurVolumeToPhone(long listPosition);
    void SetRtInfos(long volStart, long volEnd, long toneIndex, long volume, long soundMode);

    const std::vector<std::string>& GetLineNames() const { return m_LineNames; }
    const std::vector<int>& GetLineTypes() const { return m_LineTypes; }
    CPlayOnMobileSubDlg& GetPlaySubDlg() { return m_PlayOnMobileSubDlg; }
    // The drawn scale's ticks (for inspection).
    const std::vector<wxStaticBitmap*>& GetTickStatics() const { return m_TickStatics; }
    int GetRadioIndex() const { return m_nRadio; }
    int GetVibraChecked() const { return m_nVibra; }

protected:
    bool OnInitDialog() override;
    void OnShowWindow(bool show) override;
    void OnOK() override;

private:
    CListCtrl* List() const;
    std::string PhoneType() const;
    bool IsBirch() const;
    void OnListRowClick(wxCommandEvent& event);

    int m_nVibra = 0;
    int m_nRadio = -1;
    std::string m_strLabelLines;
    wxImageList* m_pImageList = nullptr;
    long m_lSoundMode = 33;
    unsigned m_nLacking = 0;
    // What the page says to the phone and reads from it.
    CTonesPhone m_Phone{[this] { return _GetAtcHelper(); }};
    long m_lVolume = 0;
    VolumeProfile m_Volume;
    std::vector<wxStaticBitmap*> m_TickStatics;
    CPlayOnMobileSubDlg m_PlayOnMobileSubDlg;
    CResource m_Resource;
    std::vector<std::string> m_LineNames;
    std::vector<int> m_LineTypes;
    std::vector<ToneListItem> m_Items; // the list's entries as built, with their item data
    bool m_bMarking = false;           // the page itself is changing the list's selection
    // Key steps on the volume bar are written once this long after the last one.
    static constexpr int kVolumeSettleMs = 400;
    wxTimer m_VolumeSettle;
};

} // namespace corvina
