// The "Melodies" page: clip editor, play on phone and the transmission controls.
#pragma once

#include "CDialog.h"
#include "CResource.h"

#include <string>

namespace corvina {

class CRingingtoneDlg;

class CMelodiesDlg : public CDialog {
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

protected:
    bool OnInitDialog() override;

private:
    CRingingtoneDlg* m_pOwner = nullptr;
    wxWindow* m_pPlcFrame = nullptr;
    CResource m_Resource;
    std::string m_strDroppedFile;
};

} // namespace corvina
