// The melodies page as far as the frame needs it: built from its template, answering the host.
#include "CMelodiesDlg.h"

#include "CRingingtoneDlg.h"

namespace corvina {

CMelodiesDlg::CMelodiesDlg()
    : CDialog(IDD)
    , m_Resource(CResource::ForModule())
{
}

CMelodiesDlg::~CMelodiesDlg() = default;

bool CMelodiesDlg::OnInitDialog()
{
    if (GetParent())
        m_pOwner = dynamic_cast<CRingingtoneDlg*>(GetParent()->GetParent());
    UpdateControls();
    return true;
}

void CMelodiesDlg::UpdateControls()
{
    const bool enabled = m_pOwner && m_pOwner->WasRead() && m_pOwner->IsConnected();
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

} // namespace corvina
