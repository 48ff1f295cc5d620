// Rows of a native list with the list-view calls; clicks and Enter/Space become row notifications.
#include "CListCtrl.h"

#include <wx/imaglist.h>
#include <wx/listctrl.h>

namespace corvina {

wxDEFINE_EVENT(EVT_LIST_ROW_CLICK, wxCommandEvent);
wxDEFINE_EVENT(EVT_LIST_ROW_SELECTED, wxCommandEvent);

namespace {

// Room the native header takes around a title (padding, separator and sort arrow space).
constexpr int kHeaderPadding = 24;

wxAlignment Alignment(int format)
{
    switch (format) {
    case wxLIST_FORMAT_CENTRE: return wxALIGN_CENTER;
    case wxLIST_FORMAT_RIGHT: return wxALIGN_RIGHT;
    default: return wxALIGN_LEFT;
    }
}

} // namespace

CListCtrl::CListCtrl(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style)
    : wxDataViewListCtrl(parent, id, pos, size,
                         wxDV_SINGLE | ((style & wxLC_NO_HEADER) ? wxDV_NO_HEADER : 0) | (style & wxBORDER_MASK))
{
    GetMainWindow()->Bind(wxEVT_LEFT_UP, &CListCtrl::OnMouseUp, this);
    GetMainWindow()->Bind(wxEVT_LEFT_DCLICK, &CListCtrl::OnDoubleClick, this);
    Bind(wxEVT_CHAR_HOOK, &CListCtrl::OnKey, this);
    Bind(wxEVT_DATAVIEW_SELECTION_CHANGED, &CListCtrl::OnSelectionChanged, this);
}

int CListCtrl::TitleWidth(const wxString& title) const
{
    return GetTextExtent(title).GetWidth() + kHeaderPadding;
}

void CListCtrl::InsertColumn(int column, const wxString& title, int format, int width)
{
    const wxAlignment align = Alignment(format);
    const int shown = title.empty() ? width : std::max(width, TitleWidth(title));
    if (column == 0 && GetColumnCount() == 0)
        AppendIconTextColumn(title, wxDATAVIEW_CELL_INERT, shown, align);
    else
        AppendTextColumn(title, wxDATAVIEW_CELL_INERT, shown, align);
}

void CListCtrl::SetImageList(wxImageList* images, int)
{
    m_pImages = images;
}

wxVariant CListCtrl::CellValue(int column, const wxString& text, int image) const
{
    if (column != 0)
        return wxVariant(text);
    wxBitmap bitmap;
    if (m_pImages && image >= 0 && image < m_pImages->GetImageCount())
        bitmap = m_pImages->GetBitmap(image);
    wxVariant value;
    value << wxDataViewIconText(text, bitmap);
    return value;
}

long CListCtrl::InsertItem(long index, const wxString& text, int image)
{
    if (GetColumnCount() == 0)
        return -1;
    if (index < 0 || index > GetItemCount())
        index = GetItemCount();
    wxVector<wxVariant> values;
    values.push_back(CellValue(0, text, image));
    for (unsigned column = 1; column < GetColumnCount(); ++column)
        values.push_back(wxVariant(wxString()));
    wxDataViewListCtrl::InsertItem(static_cast<unsigned>(index), values);
    m_images.insert(m_images.begin() + index, image);
    return index;
}

void CListCtrl::SetItem(long row, int column, const wxString& text)
{
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= static_cast<int>(GetColumnCount()))
        return;
    SetValue(CellValue(column, text, column == 0 ? m_images[row] : -1), static_cast<unsigned>(row),
             static_cast<unsigned>(column));
}

wxString CListCtrl::GetItemText(long row, int column) const
{
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= static_cast<int>(GetColumnCount()))
        return {};
    wxVariant value;
    const_cast<CListCtrl*>(this)->GetValue(value, static_cast<unsigned>(row), static_cast<unsigned>(column));
    if (column == 0) {
        wxDataViewIconText iconText;
        iconText << value;
        return iconText.GetText();
    }
    return value.GetString();
}

void CListCtrl::SetItemImage(long row, int image)
{
    if (row < 0 || row >= GetItemCount() || m_images[row] == image)
        return;
    m_images[row] = image;
    SetValue(CellValue(0, GetItemText(row, 0), image), static_cast<unsigned>(row), 0);
}

int CListCtrl::GetItemImage(long row) const
{
    return row >= 0 && row < GetItemCount() ? m_images[row] : -1;
}

void CListCtrl::SetItemData(long row, long data)
{
    if (row >= 0 && row < GetItemCount())
        wxDataViewListCtrl::SetItemData(RowToItem(static_cast<int>(row)), static_cast<wxUIntPtr>(data));
}

long CListCtrl::GetItemData(long row) const
{
    if (row < 0 || row >= GetItemCount())
        return 0;
    return static_cast<long>(wxDataViewListCtrl::GetItemData(RowToItem(static_cast<int>(row))));
}

void CListCtrl::SetItemState(long row, long state, long mask)
{
    if (!(mask & wxLIST_STATE_SELECTED) || row < 0 || row >= GetItemCount())
        return;
    if (state & wxLIST_STATE_SELECTED) {
        SelectRow(static_cast<unsigned>(row));
        EnsureVisible(RowToItem(static_cast<int>(row)));
    } else {
        UnselectRow(static_cast<unsigned>(row));
    }
}

bool CListCtrl::IsRowSelected(long row) const
{
    return row >= 0 && row < GetItemCount() && wxDataViewListCtrl::IsRowSelected(static_cast<unsigned>(row));
}

long CListCtrl::GetSelectedRow() const
{
    return wxDataViewListCtrl::GetSelectedRow();
}

bool CListCtrl::DeleteAllItems()
{
    wxDataViewListCtrl::DeleteAllItems();
    m_images.clear();
    return true;
}

void CListCtrl::OnDoubleClick(wxMouseEvent& event)
{
    event.Skip();
    m_bSecondClickOfDouble = true;
}

void CListCtrl::OnMouseUp(wxMouseEvent& event)
{
    event.Skip();
    // A double-click chooses a row once, with its first click, as a list of the desktop does: its
    // second button release is no new click.
    if (m_bSecondClickOfDouble) {
        m_bSecondClickOfDouble = false;
        return;
    }
    wxDataViewItem item;
    wxDataViewColumn* column = nullptr;
    HitTest(event.GetPosition(), item, column);
    // A click beside the rows chooses nothing.
    if (item.IsOk())
        Send(EVT_LIST_ROW_CLICK, ItemToRow(item));
}

void CListCtrl::OnKey(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    const bool choose = key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_SPACE || key == WXK_NUMPAD_SPACE;
    if (!choose || event.HasAnyModifiers() || GetSelectedRow() < 0) {
        event.Skip();
        return;
    }
    Send(EVT_LIST_ROW_CLICK, GetSelectedRow());
}

void CListCtrl::OnSelectionChanged(wxDataViewEvent& event)
{
    event.Skip();
    const long row = GetSelectedRow();
    if (row >= 0)
        Send(EVT_LIST_ROW_SELECTED, row);
}

void CListCtrl::Send(wxEventType type, long row)
{
    wxCommandEvent notice(type, GetId());
    notice.SetEventObject(this);
    notice.SetInt(static_cast<int>(row));
    ProcessWindowEvent(notice);
}

} // namespace corvina
