// The melodies page as far as the frame needs it: built from its template, answering the host.
#include "CMelodiesDlg.h"

#include "CRingingtoneDlg.h"
#include "PhoneProfile.h"

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
