// The report-view list of the editor's dialogs on a native list (a GTK tree view), so that screen
// readers read its rows; it keeps the list-view calls the dialogs make (items by position, a small
// image per row, item data, the selected state).
#pragma once

#include <wx/dataview.h>

#include <vector>

class wxImageList;

namespace corvina {

// Sent (propagating to the parents) when the user clicks a row, also the row already selected, or
// presses Enter or Space on the selected row; the event's int is the row.
wxDECLARE_EVENT(EVT_LIST_ROW_CLICK, wxCommandEvent);
// Sent (propagating to the parents) when the user moves the selection to another row (mouse or
// arrow keys); the event's int is the row. Selections made by the program send nothing.
wxDECLARE_EVENT(EVT_LIST_ROW_SELECTED, wxCommandEvent);

class CListCtrl : public wxDataViewListCtrl {
public:
    // style: wxLC_NO_HEADER hides the column titles; the list always selects single rows.
    CListCtrl(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style);

    // Adds a column (format wxLIST_FORMAT_LEFT, _CENTRE or _RIGHT); column 0 shows the row's image.
    // The column is made wide enough for its whole title.
    void InsertColumn(int column, const wxString& title, int format, int width);
    // The images rows show, by index; not owned.
    void SetImageList(wxImageList* images, int which);

    // Inserts a row at index (appends when index is out of range) with its column-0 text and image;
    // returns its position.
    long InsertItem(long index, const wxString& text, int image);
    void SetItem(long row, int column, const wxString& text);
    wxString GetItemText(long row, int column = 0) const;
    void SetItemImage(long row, int image);
    int GetItemImage(long row) const;
    void SetItemData(long row, long data);
    long GetItemData(long row) const;
    // Only wxLIST_STATE_SELECTED is known: selects or deselects the row.
    void SetItemState(long row, long state, long mask);
    bool IsRowSelected(long row) const;
    int GetItemCount() const { return static_cast<int>(wxDataViewListCtrl::GetItemCount()); }
    // The selected row, or -1.
    long GetSelectedRow() const;
    // Removes every row.
    bool DeleteAllItems();
    // The header title width a column needs to show its whole title, in pixels.
    int TitleWidth(const wxString& title) const;

private:
    wxVariant CellValue(int column, const wxString& text, int image) const;
    void OnMouseUp(wxMouseEvent& event);
    void OnDoubleClick(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);
    void OnSelectionChanged(wxDataViewEvent& event);
    void Send(wxEventType type, long row);

    wxImageList* m_pImages = nullptr;
    std::vector<int> m_images;
    // Set by the second press of a double-click, until its release.
    bool m_bSecondClickOfDouble = false;
};

} // namespace corvina
