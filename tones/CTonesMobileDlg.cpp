// The tones page: built from its template with its texts; lines, tones and the phone's values.
#include "CTonesMobileDlg.h"

#include "CRingingtoneDlg.h"
#include "PhoneType.h"

#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/slider.h>

namespace corvina {

CTonesMobileDlg::CTonesMobileDlg()
    : CDialog(IDD)
    , m_Resource(CResource::ForModule())
{
}

CTonesMobileDlg::~CTonesMobileDlg() = default;

wxListCtrl* CTonesMobileDlg::List() const
{
    return Item<wxListCtrl>(IDC_LIST_TONES);
}

bool CTonesMobileDlg::OnInitDialog()
{
    // The owner is two windows up: page, tab control, main dialog.
    if (!GetRtParent() && GetParent())
        SetRtParent(dynamic_cast<CRingingtoneDlg*>(GetParent()->GetParent()));

    if (wxListCtrl* list = List())
        list->InsertColumn(0, "", wxLIST_FORMAT_LEFT, list->GetClientSize().GetWidth() - 20);
    auto setText = [this](int id, unsigned stringId) {
        if (wxWindow* control = GetDlgItem(id))
            control->SetLabel(wxString::FromUTF8(m_Resource.GetString(stringId)));
    };
    setText(IDC_LOAD_COMMENT, 548);
    setText(4545, GetRtParent() && GetRtParent()->GetRtByFilename() ? 541 : 527);
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
    const bool enabled = WasRead() && IsConnected();
    for (int id : {IDC_COMBO_LINES, IDC_LIST_TONES, IDC_SLIDER_VOLUME, 4561, 4510, 4511, 4512}) {
        if (wxWindow* control = GetDlgItem(id))
            control->Enable(enabled);
    }
}

void CTonesMobileDlg::PushToControls()
{
    if (auto* slider = Item<wxSlider>(IDC_SLIDER_VOLUME))
        slider->SetValue(static_cast<int>(m_lVolume));
}

int CTonesMobileDlg::GetVolInfosFromRegdb()
{
    return corvina::GetVolInfosFromRegdb(GetRtParent() ? GetRtParent()->GetPhoneType() : std::string(), m_Volume);
}

void CTonesMobileDlg::InitLinesFromType()
{
    m_LineNames = {m_Resource.GetString(507)};
    m_LineTypes = {6};
    if (auto* combo = Item<wxChoice>(IDC_COMBO_LINES)) {
        combo->Clear();
        for (const std::string& name : m_LineNames)
            combo->Append(wxString::FromUTF8(name));
        if (combo->GetCount() > 0)
            combo->SetSelection(0);
    }
}

void CTonesMobileDlg::ShowLoadComment(bool show)
{
    if (wxWindow* note = GetDlgItem(IDC_LOAD_COMMENT))
        note->Show(show);
    if (wxListCtrl* list = List())
        list->Show(!show);
}

void CTonesMobileDlg::InitTonesList()
{
    wxListCtrl* list = List();
    if (!list || !GetRtParent())
        return;
    list->DeleteAllItems();
    for (const std::string& name : *GetRtParent()->GetRtFileList())
        list->InsertItem(list->GetItemCount(), wxString::FromUTF8("  " + name));
}

void CTonesMobileDlg::UpdateTonesList(int)
{
}

void CTonesMobileDlg::AddToTonesList(const std::string& name)
{
    if (wxListCtrl* list = List())
        list->InsertItem(list->GetItemCount(), wxString::FromUTF8("  " + name), 0);
}

void CTonesMobileDlg::SetRtInfos(long volStart, long volEnd, long toneIndex, long volume, long soundMode)
{
    m_Volume.lVolStart = volStart;
    m_Volume.lVolEnd = volEnd;
    m_lVolume = volume;
    m_lSoundMode = soundMode;
    GetVolInfosFromRegdb();
    UpdateRtIndex(toneIndex, 0);
    PushToControls();
}

void CTonesMobileDlg::AddSoundModeNormal(int)
{
}

} // namespace corvina
