// The melodies page as far as the frame needs it: built from its template, answering the host.
#include "CMelodiesDlg.h"

#include "CRingingtoneDlg.h"
#include "CAtcHelperFunctions.h"
#include "CComError.h"
#include "PhoneProfile.h"

#include <wx/choice.h>
#include <wx/combobox.h>

namespace corvina {

CMelodiesDlg::CMelodiesDlg()
    : CDialog(IDD)
    , m_Resource(CResource::ForModule())
{
}

CMelodiesDlg::~CMelodiesDlg() = default;

bool CMelodiesDlg::OnInitDialog()
{
    if (!GetRtParent() && GetParent())
        SetRtParent(dynamic_cast<CRingingtoneDlg*>(GetParent()->GetParent()));
    UpdateControls();
    return true;
}

void CMelodiesDlg::UpdateControls()
{
    const bool enabled = WasRead() && IsConnected();
    for (int id : {4527, 4566, 4524, 4607}) {
        if (wxWindow* control = GetDlgItem(id))
            control->Enable(enabled);
    }
}

int CMelodiesDlg::CloseOk() const
{
    // Without a clip there is nothing unsaved.
    return 1;
}

void CMelodiesDlg::OnDropMidiFile(const std::string& path)
{
    m_strDroppedFile = path;
}

int CMelodiesDlg::GetAcceptsMultiChannelFromRegdb()
{
    return corvina::GetAcceptsMultiChannelFromRegdb(GetRtParent() ? GetRtParent()->GetPhoneType() : std::string(),
                                                    m_bPhoneAcceptsMultiChannel);
}

void CMelodiesDlg::UpdateComboFileContent(long)
{
}

void CMelodiesDlg::InitComboUserdef()
{
}

void CMelodiesDlg::UpdateComboTone()
{
}

} // namespace corvina

namespace corvina {

long CMelodiesDlg::GetCurIndex()
{
    if (!GetRtParent())
        return -1;
    if (!GetRtParent()->GetRtByFilename()) {
        auto* slots = Item<wxChoice>(4524);
        const int selection = slots ? slots->GetSelection() : -1;
        return selection + FirstUsedIndexRt() + NumberFixRt();
    }
    return GetRtParent()->GetIndexForName(GetComboFileName());
}

long CMelodiesDlg::GetVolume() const
{
    return GetRtParent() ? GetRtParent()->GetVolume() : 1;
}

std::string CMelodiesDlg::GetComboFileName()
{
    if (auto* combo = Item<wxComboBox>(4607))
        m_strDestination = combo->GetValue().ToStdString(wxConvUTF8);
    return m_strDestination;
}

void CMelodiesDlg::UpdateSoundModeOrig()
{
    m_lSoundModeOrig = -1;
    if (!IsConnected())
        return;
    try {
        CAtcHelperFunctions* helper = _GetAtcHelper();
        if (!helper)
            CComError::ThrowCurrent(E_POINTER);
        std::int32_t soundMode = -1;
        CComError::ThrowIfFailed(helper->Atc().GetSoundMode(&soundMode));
        m_lSoundModeOrig = soundMode;
    } catch (const ComError& error) {
        m_lSoundModeOrig = -1;
        CComError::TraceComError(error, "CMelodiesDlg::UpdateSoundModeOrig");
    }
}

void CMelodiesDlg::SetSoundModeToOrig()
{
    if (m_lSoundModeOrig == -1 || !IsConnected())
        return;
    try {
        CAtcHelperFunctions* helper = _GetAtcHelper();
        if (!helper)
            CComError::ThrowCurrent(E_POINTER);
        CComError::ThrowIfFailed(helper->Atc().SetSoundMode(m_lSoundModeOrig));
    } catch (const ComError& error) {
        CComError::TraceComError(error, "CMelodiesDlg::SetSoundModeToOrig");
    }
}

} // namespace corvina
