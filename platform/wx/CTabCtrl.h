// The main dialog's tab control: a native notebook, so that the keyboard and screen readers know its
// tabs. Each tab holds an empty holder window; the owner places its page dialog inside the holder and
// shows or hides it itself, as the editor's main dialog expects.
#pragma once

#include <wx/notebook.h>

#include <string>
#include <vector>

namespace corvina {

// Sent (propagating to the parents) when the user selects another tab.
wxDECLARE_EVENT(EVT_TAB_SELCHANGE, wxCommandEvent);

class CTabCtrl : public wxNotebook {
public:
    CTabCtrl() = default;
    CTabCtrl(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size);

    // Inserts a text-only item at position index; returns its position.
    int InsertItem(int index, const std::string& text);
    int GetItemCount() const { return static_cast<int>(GetPageCount()); }
    std::string GetItemText(int index) const;
    // The window a page dialog of item index is created in (nullptr for an unknown item).
    wxWindow* GetPageHolder(int index) const;
    // Selects item n; an n without an item is kept as the selection while the tab shown stays.
    // Returns the previous selection. Sends no notification, as a programmatic selection does not.
    int SetCurSel(int n);
    int GetCurSel() const { return m_selection; }
    // The next (step 1) or previous (step -1) item after the current one, wrapping around.
    int NeighbourItem(int step) const;

private:
    void OnPageChanged(wxBookCtrlEvent& event);

    int m_selection = -1;
};

} // namespace corvina
