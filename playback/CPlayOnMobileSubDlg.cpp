// Playing a tone on the phone, and putting the phone's tone and sound mode back afterwards when
// the Melodies page made another tone active for playing.
#include "CPlayOnMobileSubDlg.h"

#include "CAtcHelperFunctions.h"
#include "CSXButton.h"
#include "FocusKeeper.h"
#include "IMelodiesPlayParent.h"
#include "IRingingtoneOwner.h"
#include "ITonesPlayParent.h"
#include "UiServices.h"
#include "WindowOwner.h"

#include <new>

namespace corvina {

int CPlayOnMobileSubDlg::m_bIsPlaying = 0;
int CPlayOnMobileSubDlg::m_bPlayStartWasMelodiesDlg = 0;
IMelodiesPlayParent* CPlayOnMobileSubDlg::m_pMelodiesDlg = nullptr;
long CPlayOnMobileSubDlg::m_lSoundModeBeforePlay = -1;
ITonesPlayParent* CPlayOnMobileSubDlg::m_pSoundModePage = nullptr;

CPlayOnMobileSubDlg::CPlayOnMobileSubDlg() : CDialog(IDD), m_Resource(CResource::ForModule())
{
    m_bIsPlaying = 0;
    m_bPlayStartWasMelodiesDlg = 0;
    m_pMelodiesDlg = nullptr;
}

CPlayOnMobileSubDlg::~CPlayOnMobileSubDlg()
{
    if (m_bIsPlaying && IsCreated())
        OnButtonStop();
    if (m_pMelodiesDlg == m_pMelodiesParent)
        m_pMelodiesDlg = nullptr;
    if (m_pSoundModePage == m_pTonesDlg) {
        m_pSoundModePage = nullptr;
        m_lSoundModeBeforePlay = -1;
    }
    delete m_pAtcHelper;
}

void CPlayOnMobileSubDlg::SetMelParent(IMelodiesPlayParent* page)
{
    m_pMelodiesParent = page;
    m_pMelodiesDlg = page;
}

bool CPlayOnMobileSubDlg::OnInitDialog()
{
    if (auto* play = Item<CSXButton>(IDC_BUTTON_PLAY)) {
        play->SetIcon(4505, 16, 16);
        play->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnButtonPlay(); });
    }
    if (auto* stop = Item<CSXButton>(IDC_BUTTON_STOP)) {
        stop->SetIcon(4506, 16, 16);
        stop->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnButtonStop(); });
    }
    return true;
}

bool CPlayOnMobileSubDlg::OnToolTip(int controlId, std::string& text)
{
    if (controlId == 0)
        return false;
    text = m_Resource.GetString(static_cast<unsigned>(controlId));
    return true;
}

IRingingtoneOwner* CPlayOnMobileSubDlg::GetRtDlg() const
{
    return OwnerOf<IRingingtoneOwner>(this);
}

CAtcHelperFunctions* CPlayOnMobileSubDlg::AtcHelper()
{
    if (!m_pAtcHelper)
        m_pAtcHelper = new (std::nothrow) CAtcHelperFunctions();
    return m_pAtcHelper;
}

bool CPlayOnMobileSubDlg::ByFileName() const
{
    const IRingingtoneOwner* main = GetRtDlg();
    return main && main->GetRtByFilename();
}

void CPlayOnMobileSubDlg::OnButtonPlay()
{
    CWaitCursor wait;
    const bool byFile = ByFileName();
    IRingingtoneOwner* main = GetRtDlg();
    if (m_pMelodiesParent && !byFile) {
        m_bPlayStartWasMelodiesDlg = 1;
        m_pMelodiesParent->UpdateSoundModeOrig();
        const long index = m_pMelodiesParent->GetCurIndex();
        if (index == -1)
            return;
        if (!WriteSelectedRingingTone(index, true))
            return;
    }
    if (m_pTonesDlg) {
        // The ringer goes on so that the tone is heard; Stop puts the user's mode back.
        m_lSoundModeBeforePlay = m_pTonesDlg->GetSoundMode();
        m_pSoundModePage = m_pTonesDlg;
        m_pTonesDlg->AddSoundModeNormal(1);
    }
    std::string path;
    if (byFile && main)
        path = m_pMelodiesParent ? main->GetAPathFileName(m_pMelodiesParent->GetComboFileName())
                                 : main->GetCurRtAPathFileName();
    m_bIsPlaying = m_Phone.Play(byFile, path) ? 1 : 0;
    // Nothing plays: what was changed for playing goes back at once.
    if (!m_bIsPlaying)
        RestoreSoundMode();
    AllowPlay();
}

void CPlayOnMobileSubDlg::RestoreSoundMode()
{
    if (m_pSoundModePage && m_lSoundModeBeforePlay != -1) {
        const bool changed = m_pSoundModePage->GetSoundMode() != m_lSoundModeBeforePlay;
        m_pSoundModePage->RestoreSoundMode(m_lSoundModeBeforePlay, changed);
    }
    m_pSoundModePage = nullptr;
    m_lSoundModeBeforePlay = -1;
}

void CPlayOnMobileSubDlg::OnButtonStop()
{
    CWaitCursor wait;
    if (!m_bIsPlaying)
        return;
    const bool byFile = ByFileName();
    m_Phone.Stop(byFile);
    if (m_bPlayStartWasMelodiesDlg && !byFile && m_pMelodiesDlg) {
        const long original = m_pMelodiesDlg->GetOrigIndex();
        if (original != -1 && original != m_pMelodiesDlg->GetCurIndex())
            WriteSelectedRingingTone(original, false);
        m_pMelodiesDlg->SetSoundModeToOrig();
        // The tones page switched its ringer on for the tone written: it shows the mode again.
        const long soundMode = m_pMelodiesDlg->GetSoundModeOrig();
        if (IRingingtoneOwner* main = GetRtDlg(); main && soundMode != -1)
            main->ShowSoundModeAgain(soundMode);
    }
    RestoreSoundMode();
    m_bPlayStartWasMelodiesDlg = 0;
    m_bIsPlaying = 0;
    AllowPlay();
}

void CPlayOnMobileSubDlg::AllowPlay()
{
    // The button that becomes usable is enabled first, so the focus can move over to it.
    wxWindow* play = GetDlgItem(IDC_BUTTON_PLAY);
    wxWindow* stop = GetDlgItem(IDC_BUTTON_STOP);
    const bool playing = m_bIsPlaying != 0;
    EnableKeepingFocus(playing ? stop : play, true);
    EnableKeepingFocus(playing ? play : stop, false, playing ? stop : play);
}

void CPlayOnMobileSubDlg::EnableButtons(int enable)
{
    if (enable) {
        AllowPlay();
        return;
    }
    OnButtonStop();
    EnableKeepingFocus(GetDlgItem(IDC_BUTTON_PLAY), false);
    EnableKeepingFocus(GetDlgItem(IDC_BUTTON_STOP), false);
}

int CPlayOnMobileSubDlg::WriteSelectedRingingTone(long toneIndex, bool soundNormal)
{
    CWaitCursor wait;
    IRingingtoneOwner* main = GetRtDlg();
    if (!main || !AtcHelper())
        return 0;
    // A phone that names tones by file has the file made active (its failure is traced there).
    const bool written =
        main->GetRtByFilename()
            ? SUCCEEDED(main->SetActiveFileToPhone(main->GetCurRtFileName()))
            : m_Phone.SetRingTone(static_cast<std::int32_t>(toneIndex),
                                  static_cast<std::int32_t>(m_pMelodiesDlg ? m_pMelodiesDlg->GetVolume() : 1));
    if (!written)
        return 0;
    if (soundNormal)
        main->AddSoundModeNormal();
    return 1;
}

} // namespace corvina
