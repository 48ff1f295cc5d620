// Draws the tab strip and turns clicks on a tab into a selection-change notification.
#include "CTabCtrl.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

namespace corvina {

wxDEFINE_EVENT(EVT_TAB_SELCHANGE, wxCommandEvent);

CTabCtrl::CTabCtrl(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size)
    : wxPanel(parent, id, pos, size, wxTAB_TRAVERSAL | wxFULL_REPAINT_ON_RESIZE)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CTabCtrl::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CTabCtrl::OnLeftDown, this);
}

int CTabCtrl::InsertItem(int index, const std::string& text)
{
    if (index < 0 || index > GetItemCount())
        index = GetItemCount();
    m_items.insert(m_items.begin() + index, text);
    if (m_selection < 0)
        m_selection = 0;
    Refresh();
    return index;
}

std::string CTabCtrl::GetItemText(int index) const
{
    return index >= 0 && index < GetItemCount() ? m_items[index] : std::string();
}

int CTabCtrl::SetCurSel(int n)
{
    const int previous = m_selection;
    m_selection = n;
    Refresh();
    return previous;
}

wxRect CTabCtrl::GetItemRect(int index) const
{
    if (index < 0 || index >= GetItemCount())
        return wxRect();
    int x = 2;
    for (int i = 0; i < GetItemCount(); ++i) {
        const int width = GetTextExtent(wxString::FromUTF8(m_items[i])).GetWidth() + 24;
        if (i == index)
            return wxRect(x, 2, width, kStripHeight - 2);
        x += width;
    }
    return wxRect();
}

void CTabCtrl::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    const wxColour window = GetParent() ? GetParent()->GetBackgroundColour() : face;
    const wxSize size = GetClientSize();

    dc.SetBackground(wxBrush(window));
    dc.Clear();
    // The page area: a frame below the strip.
    dc.SetPen(wxPen(shadow));
    dc.SetBrush(wxBrush(face));
    dc.DrawRectangle(0, kStripHeight - 1, size.GetWidth(), size.GetHeight() - kStripHeight + 1);

    dc.SetFont(GetFont());
    for (int i = 0; i < GetItemCount(); ++i) {
        wxRect r = GetItemRect(i);
        const bool selected = i == m_selection;
        if (selected)
            r.Inflate(0, 2);
        dc.SetBrush(wxBrush(selected ? face : face.ChangeLightness(90)));
        dc.DrawRoundedRectangle(r.x, r.y + (selected ? 0 : 2), r.width, r.height + 4, 3);
        if (selected) {
            // Open the selected tab into the page area.
            dc.SetPen(wxPen(face));
            dc.DrawLine(r.x + 1, kStripHeight - 1, r.x + r.width - 1, kStripHeight - 1);
            dc.SetPen(wxPen(shadow));
        }
        dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
        const wxString text = wxString::FromUTF8(m_items[i]);
        const wxSize extent = dc.GetTextExtent(text);
        dc.DrawText(text, r.x + (r.width - extent.GetWidth()) / 2, r.y + 2 + (r.height - extent.GetHeight()) / 2);
    }
}

void CTabCtrl::OnLeftDown(wxMouseEvent& event)
{
    for (int i = 0; i < GetItemCount(); ++i) {
        if (GetItemRect(i).Contains(event.GetPosition())) {
            if (i != m_selection) {
                m_selection = i;
                Refresh();
                wxCommandEvent changed(EVT_TAB_SELCHANGE, GetId());
                changed.SetEventObject(this);
                changed.SetInt(i);
                ProcessWindowEvent(changed);
            }
            return;
        }
    }
    event.Skip();
}

} // namespace corvina
