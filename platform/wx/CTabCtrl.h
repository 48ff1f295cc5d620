// A tab control whose pages are ordinary child windows placed by the owner, as the editor's main
// dialog expects: the control only draws the tab strip and remembers the selected item.
#pragma once

#include <wx/panel.h>

#include <string>
#include <vector>

namespace corvina {

// Sent (propagating to the parents) when the user selects another tab.
wxDECLARE_EVENT(EVT_TAB_SELCHANGE, wxCommandEvent);

class CTabCtrl : public wxPanel {
public:
    CTabCtrl() = default;
    CTabCtrl(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size);

    // Inserts a text-only item at position index; returns its position.
    int InsertItem(int index, const std::string& text);
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    std::string GetItemText(int index) const;
    // Selects item n; an n without an item is kept as the selection but no tab is highlighted.
    // Returns the previous selection. Sends no notification, as a programmatic selection does not.
    int SetCurSel(int n);
    int GetCurSel() const { return m_selection; }
    // The rectangle a tab occupies, in client pixels (empty for an unknown item).
    wxRect GetItemRect(int index) const;

    static constexpr int kStripHeight = 24;

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);

    std::vector<std::string> m_items;
    int m_selection = -1;
};

} // namespace corvina
