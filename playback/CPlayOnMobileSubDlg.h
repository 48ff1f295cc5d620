// The small Play/Stop panel that plays a ringtone on the phone itself, embedded in both pages. One
// tone plays at a time across both panels; the playing state is shared. It knows its page and the
// main dialog only by the interfaces they give it.
#pragma once

#include "CDialog.h"
#include "CPlayOnMobilePhone.h"
#include "CResource.h"

namespace corvina {

class IMelodiesPlayParent;
class IRingingtoneOwner;
class ITonesPlayParent;

class CPlayOnMobileSubDlg : public CDialog {
public:
    static constexpr int IDD = 4562;
    static constexpr int IDC_BUTTON_PLAY = 4557;
    static constexpr int IDC_BUTTON_STOP = 4577;

    CPlayOnMobileSubDlg();
    ~CPlayOnMobileSubDlg() override;

    // The page that embeds this panel.
    void SetMelParent(IMelodiesPlayParent* page);
    void SetTonParent(ITonesPlayParent* page) { m_pTonesDlg = page; }
    // The main dialog above the page (panel, page, tab control, main dialog); null when missing.
    IRingingtoneOwner* GetRtDlg() const;

    void OnButtonPlay();
    void OnButtonStop();
    // The same as pressing Stop.
    void Stop() { OnButtonStop(); }
    // Nonzero allows playing; zero stops a playing tone (restoring what it changed) and disables both.
    void EnableButtons(int enable);
    // Play enabled and Stop disabled while idle; the reverse while a tone plays.
    void AllowPlay();
    // Makes the tone active on the phone; with soundNormal the ringer goes On. Nonzero on success.
    int WriteSelectedRingingTone(long toneIndex, bool soundNormal);

    // Shared by both panels.
    static int m_bIsPlaying;
    static int m_bPlayStartWasMelodiesDlg;
    static IMelodiesPlayParent* m_pMelodiesDlg;
    // The tones page's sound mode before playing switched the ringer on (-1: nothing to put
    // back), and that page.
    static long m_lSoundModeBeforePlay;
    static ITonesPlayParent* m_pSoundModePage;

protected:
    bool OnInitDialog() override;
    bool OnToolTip(int controlId, std::string& text) override;

private:
    CAtcHelperFunctions* AtcHelper();
    // Puts back the sound mode that playing changed, on the phone and on both pages.
    void RestoreSoundMode();
    bool ByFileName() const;

    CAtcHelperFunctions* m_pAtcHelper = nullptr;
    // What the panel says to the phone.
    CPlayOnMobilePhone m_Phone{[this] { return AtcHelper(); }};
    CResource m_Resource;
    IMelodiesPlayParent* m_pMelodiesParent = nullptr;
    ITonesPlayParent* m_pTonesDlg = nullptr;
};

} // namespace corvina
