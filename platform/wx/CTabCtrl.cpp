// Native tabs whose pages are holder windows; a tab chosen by the user becomes a selection-change
// notification to the owner.
#include "CTabCtrl.h"

#include <wx/panel.h>

namespace corvina {

wxDEFINE_EVENT(EVT_TAB_SELCHANGE, wxCommandEvent);

CTabCtrl::CTabCtrl(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size) : wxNotebook(parent, id, pos, size)
{
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CTabCtrl::OnPageChanged, this);
}

int CTabCtrl::InsertItem(int index, const std::string& text)
{
    if (index < 0 || index > GetItemCount())
        index = GetItemCount();
    auto* holder = new wxPanel(this, wxID_ANY);
    holder->SetName("page holder");
    InsertPage(static_cast<size_t>(index), holder, wxString::FromUTF8(text), false);
    if (m_selection < 0)
        m_selection = 0;
    return index;
}

std::string CTabCtrl::GetItemText(int index) const
{
    return index >= 0 && index < GetItemCount() ? GetPageText(static_cast<size_t>(index)).utf8_string() : std::string();
}

wxWindow* CTabCtrl::GetPageHolder(int index) const
{
    return index >= 0 && index < GetItemCount() ? GetPage(static_cast<size_t>(index)) : nullptr;
}

int CTabCtrl::SetCurSel(int n)
{
    const int previous = m_selection;
    m_selection = n;
    if (n >= 0 && n < GetItemCount() && GetSelection() != n)
        ChangeSelection(static_cast<size_t>(n));
    return previous;
}

int CTabCtrl::NeighbourItem(int step) const
{
    const int count = GetItemCount();
    if (count == 0)
        return -1;
    const int current = m_selection >= 0 && m_selection < count ? m_selection : 0;
    return ((current + step) % count + count) % count;
}

void CTabCtrl::OnPageChanged(wxBookCtrlEvent& event)
{
    if (event.GetEventObject() != this)
        return;
    const int page = event.GetSelection();
    if (page == wxNOT_FOUND || page == m_selection)
        return;
    m_selection = page;
    wxCommandEvent changed(EVT_TAB_SELCHANGE, GetId());
    changed.SetEventObject(this);
    changed.SetInt(page);
    ProcessWindowEvent(changed);
}

} // namespace corvina
