// The "Melodies" page: clip editor, play on phone and the transmission controls.
#pragma once

#include "CDialog.h"
#include "CResource.h"
#include "CRingingtoneAccess.h"

#include <string>

namespace corvina {

class CRingingtoneDlg;

class CMelodiesDlg : public CDialog, public CRingingtoneAccess {
public:
    static constexpr int IDD = 4502;

    CMelodiesDlg();
    ~CMelodiesDlg() override;

    // Refreshes the page's controls from the phone's state.
    void UpdateControls();
    // True when nothing would be lost by closing: the current clip was saved or transmitted.
    int CloseOk() const;
    // Opens a MIDI file dropped on the host window.
    void OnDropMidiFile(const std::string& path);
    // Stores the host frame window (not otherwise used by the page).
    void SetPlcFrameDlg(wxWindow* frame) { m_pPlcFrame = frame; }
    // The last file handed to the page by a drop.
    const std::string& GetDroppedFile() const { return m_strDroppedFile; }

    // Whether the phone accepts melodies with several channels (profile value "RtAccMultiChannel").
    int GetAcceptsMultiChannelFromRegdb();
    int PhoneAcceptsMultiChannel() const { return m_bPhoneAcceptsMultiChannel; }
    void SetPhoneAcceptsMultiChannel(int accepts) { m_bPhoneAcceptsMultiChannel = accepts; }
    // Folder mode: refills the destination combo with the phone's ringtone files.
    void UpdateComboFileContent(long index);
    // Index mode: one destination entry per user-defined slot.
    void InitComboUserdef();
    // Takes over the tone active on the phone.
    void UpdateComboTone();

    // What the play-on-phone panel asks: the tone to play, the one to restore, the volume.
    long GetCurIndex();
    long GetOrigIndex() const { return m_lOrigIndex; }
    long GetVolume() const;
    // The destination name typed or chosen in folder mode.
    std::string GetComboFileName();
    // Saves the phone's sound mode before playing, and writes it back afterwards.
    void UpdateSoundModeOrig();
    void SetSoundModeToOrig();

protected:
    bool OnInitDialog() override;

private:
    wxWindow* m_pPlcFrame = nullptr;
    CResource m_Resource;
    std::string m_strDroppedFile;
    int m_bPhoneAcceptsMultiChannel = 0;
    std::string m_strDestination;  // destination name in folder mode
    long m_lOrigIndex = -1;        // tone active on the phone when the page last learned it
    long m_lSoundModeOrig = -1;    // sound mode saved before playing, -1 when none
};

} // namespace corvina
