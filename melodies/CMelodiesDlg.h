// The "Melodies" page: the clip editor, play on phone, and the Transmit button with the chooser of
// where the melody goes on the phone (a file name in folder mode, a user-defined slot in index mode).
#pragma once

#include "CClipEditDlg.h"
#include "CDialog.h"
#include "CMelodiesPhone.h"
#include "CPlayOnMobileSubDlg.h"
#include "CResource.h"
#include "HResult.h"
#include "CRingingtoneAccess.h"
#include "IMelodiesPlayParent.h"

#include <cstdint>
#include <string>

namespace corvina {

class IStream;

class CMelodiesDlg : public CDialog, public CRingingtoneAccess, public IMelodiesPlayParent {
public:
    static constexpr int IDD = 4502;
    static constexpr int IDC_BUTTON_WRITE = 4566;
    static constexpr int IDC_COMBO_USERDEF = 4524;
    static constexpr int IDC_CHECK_MULTICHANNEL = 4604;
    static constexpr int IDC_GROUP = 4527;
    static constexpr int IDC_COMBO_TONEFILE = 4607;

    CMelodiesDlg();
    ~CMelodiesDlg() override;

    void InitControls();
    void InitComboUserdef();
    void UpdateControls();
    void EnDisableWriteButton();
    // True when a file search finds the path.
    int SelectedFileIsValid(const std::string& path) const;
    std::string GetCurFile() const { return m_ClipEditDlg.GetFileName(); }
    void SetCurFile(const std::string& path);
    std::string GetComboFileName() override;
    // The part after the last '/'; "" for a bare name or a path ending in its only separator.
    static std::string GetNameFromPath(const std::string& path);
    void UpdateComboFileCur();
    void UpdateComboFileContent(long index);
    void UpdateComboTone();
    void OnDropMidiFile(const std::string& path);
    void SetAllChannelsSelected(bool all);
    bool GetAllChannelsSelected() const { return m_bAllChannelsSelected; }
    int PhoneAcceptsMultiChannel() const { return m_bPhoneAcceptsMultiChannel; }
    void SetPhoneAcceptsMultiChannel(int accepts) { m_bPhoneAcceptsMultiChannel = accepts; }
    int GetAcceptsMultiChannelFromRegdb();
    void SetPlcFrameDlg(wxWindow* frame) { m_pPlcFrame = frame; }
    // True when the current clip was saved or transmitted since it last changed.
    int CloseOk() const { return m_ClipEditDlg.GetSaved() ? 1 : 0; }
    long GetCurIndex() override;
    long GetOrigIndex() const override { return m_lOrigIndex; }
    long GetVolume() const override;
    void UpdateSoundModeOrig() override;
    void SetSoundModeToOrig() override;
    // The sound mode read before playing on the phone; -1 when none was read.
    long GetSoundModeOrig() const override { return m_lSoundModeOrig; }
    // Size of a stream: by Stat, else by seeking to its end and back.
    static HRESULT GetStreamSize(IStream* stream, std::uint64_t* size);
    // The transfer may go ahead (asks before replacing a file on the phone).
    bool WriteDestinationOk();
    // Sends the local file to the phone; true when it arrived.
    bool WriteFileToMobile(const std::string& localPath);

    // Transmit button and the refresh of the play-on-phone buttons (0x041B).
    void OnButtonWrite();
    std::intptr_t OnUpdatePlayOnMobileFromSelection(std::uintptr_t wParam, std::intptr_t lParam);
    // Whether a transfer is allowed now (phone read, file valid, multi-channel rule).
    bool TransferAllowed() const;

    CClipEditDlg& GetClipEditDlg() { return m_ClipEditDlg; }
    CPlayOnMobileSubDlg& GetPlaySubDlg() { return m_PlayOnMobileSubDlg; }
    // The destination name as it stands in the member.
    const std::string& GetDestination() const { return m_strDestination; }
    // The phone gets the clip's melody line (as iMelody) rather than the clip: a phone that plays no
    // MIDI file, or a destination in the phone's iMelody folder (a name ending in .imy).
    bool DestinationIsMelodyLine();
    // The phone's folder the destination goes to: the iMelody folder for an iMelody, else the
    // ringtone folder.
    std::string DestinationFolder() const;
    void SetDestination(const std::string& name);

protected:
    bool OnInitDialog() override;
    bool OnToolTip(int controlId, std::string& text) override;
    void OnShowWindow(bool show) override;

private:
    bool FolderMode() const;
    void PullFromControls();
    void PushToControls();
    // The combo's own search: the first entry that begins with text, ignoring case.
    static int FindPrefix(const wxArrayString& entries, const std::string& text);

    int m_bPhoneAcceptsMultiChannel = 0;
    std::string m_strDestination;
    std::int32_t m_nSlotCount = -1; // compared by nothing: the index to restore is given unconditionally
    CPlayOnMobileSubDlg m_PlayOnMobileSubDlg;
    long m_lOrigIndex = -1;
    long m_lSoundModeOrig = -1;
    // What the page says to the phone over AT commands.
    CMelodiesPhone m_Phone{[this] { return _GetAtcHelper(); }};
    CResource m_Resource;
    wxWindow* m_pPlcFrame = nullptr;
    bool m_bAllChannelsSelected = false;
    CClipEditDlg m_ClipEditDlg;
};

} // namespace corvina
