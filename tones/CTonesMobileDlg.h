// The "Ringtones on mobile" page: ringing lines, the phone's tones, volume and ringer mode.
#pragma once

#include "CDialog.h"
#include "CResource.h"

namespace corvina {

class CRingingtoneDlg;

class CTonesMobileDlg : public CDialog {
public:
    static constexpr int IDD = 4558;

    CTonesMobileDlg();
    ~CTonesMobileDlg() override;

    // The volume (track-bar position) of the current line.
    long GetVolume() const { return m_lVolume; }
    void SetVolume(long volume) { m_lVolume = volume; }
    // Refreshes the page's controls from the phone's state.
    void UpdateControls();
    // Sets the owner explicitly (found from the window tree otherwise).
    void SetRtParent(CRingingtoneDlg* owner) { m_pOwner = owner; }

protected:
    bool OnInitDialog() override;

private:
    CRingingtoneDlg* m_pOwner = nullptr;
    CResource m_Resource;
    long m_lVolume = 0;
};

} // namespace corvina
