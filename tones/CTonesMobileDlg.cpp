// The tones page as far as the frame needs it: built from its template with its texts.
#include "CTonesMobileDlg.h"

#include "CRingingtoneDlg.h"

#include <wx/radiobut.h>
#include <wx/checkbox.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace corvina {

CTonesMobileDlg::CTonesMobileDlg()
    : CDialog(IDD)
    , m_Resource(CResource::ForModule())
{
}

CTonesMobileDlg::~CTonesMobileDlg() = default;

bool CTonesMobileDlg::OnInitDialog()
{
    // The owner is two windows up: page, tab control, main dialog.
    if (!m_pOwner && GetParent())
        m_pOwner = dynamic_cast<CRingingtoneDlg*>(GetParent()->GetParent());

    auto setText = [this](int id, unsigned stringId) {
        if (wxWindow* control = GetDlgItem(id))
            control->SetLabel(wxString::FromUTF8(m_Resource.GetString(stringId)));
    };
    setText(4608, 548);
    setText(4545, m_pOwner && m_pOwner->GetRtByFilename() ? 541 : 527);
    setText(4546, 528);
    setText(4547, 529);
    setText(4548, 530);
    setText(4561, 531);
    setText(4510, 4010);
    setText(4511, 4011);
    setText(4512, 4012);
    UpdateControls();
    return true;
}

void CTonesMobileDlg::UpdateControls()
{
    const bool enabled = m_pOwner && m_pOwner->WasRead() && m_pOwner->IsConnected();
    for (int id : {4559, 4560, 4501, 4561, 4510, 4511, 4512}) {
        if (wxWindow* control = GetDlgItem(id))
            control->Enable(enabled);
    }
}

} // namespace corvina
