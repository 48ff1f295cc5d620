// Clicks with the real pointer on buttons and other controls, waiting for what the click should do.
#pragma once

#include "GuiTestMain.h"
#include "RealInput.h"

#include <wx/dataview.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <gtk/gtk.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <functional>
#include <string>

namespace corvina::test {

// Clicks the middle of the window with the left button; true once arrived() holds (what the click
// should have done), false when the window is hidden or arrived() never held.
inline bool ClickWithMouse(wxWindow* window, const std::function<bool()>& arrived, int timeoutMs = 5000)
{
    if (!window || !window->IsShownOnScreen())
        return false;
    if (auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(window)))
        ShowForInput(top);
    // A page that was just switched in is mapped and placed by the toolkit a moment later.
    DispatchUntil(
        [window] {
            GtkWidget* widget = window->GetHandle();
            GtkAllocation area;
            gtk_widget_get_allocation(widget, &area);
            return gtk_widget_get_mapped(widget) && area.width > 1;
        },
        2000);
    const wxSize size = window->GetClientSize();
    Click(window, wxPoint(size.GetWidth() / 2, size.GetHeight() / 2));
    return DispatchUntil(arrived, timeoutMs);
}

// Clicks a button with the left button; true once it reported the click (wxEVT_BUTTON), false
// when it is hidden, disabled or the click never came.
inline bool ClickButtonWithMouse(wxWindow* button, int timeoutMs = 5000)
{
    if (!button || !button->IsEnabled())
        return false;
    int clicks = 0;
    auto count = [&clicks](wxCommandEvent& event) {
        ++clicks;
        event.Skip(); // the control's own handler runs as well
    };
    button->Bind(wxEVT_BUTTON, count);
    const bool clicked = ClickWithMouse(
        button, [&clicks] { return clicks > 0; }, timeoutMs);
    button->Unbind(wxEVT_BUTTON, count);
    return clicked;
}

// Clicks into the text field, selects what it holds and types the text over it with the keyboard;
// true once the field shows the text.
inline bool TypeOver(wxTextCtrl* field, const std::string& text)
{
    if (!ClickWithMouse(field, [field] { return field->HasFocus(); }))
        return false;
    Press('a', wxMOD_CONTROL);
    wxUIActionSimulator().Text(text.c_str());
    return DispatchUntil([&] { return field->GetValue() == text; });
}

// Clicks the middle of a row of a list with the left button, after scrolling the row into view;
// false when the list is hidden or the row cannot be brought on screen.
inline bool ClickListRow(wxDataViewListCtrl* list, int row)
{
    if (!list || !list->IsShownOnScreen())
        return false;
    if (auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(list)))
        ShowForInput(top);
    wxPoint point = RowPoint(list, row);
    if (point.y == -1) {
        // Scrolling moves the list's cursor as well; only a row out of view needs it.
        list->EnsureVisible(list->RowToItem(row));
        DispatchUntil([&] { return (point = RowPoint(list, row)).y != -1; }, 2000);
    }
    if (point.y == -1)
        return false;
    Click(list->GetMainWindow(), point);
    return true;
}

} // namespace corvina::test
