// Real X input for dialog tests: the pointer and keyboard of the test's own display (XTest, through
// wxUIActionSimulator), and what the toolkit shows in return (tooltips, accessible objects).
#pragma once

#include <wx/bookctrl.h>
#include <wx/dataview.h>
#include <wx/image.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <atk/atk.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace corvina::test {

// Shows and raises the top-level window and waits until it has the keyboard.
bool ShowForInput(wxTopLevelWindow* top);
// Moves the pointer to a client point of the window and waits until the toolkit has seen it there.
void MoveTo(wxWindow* window, const wxPoint& client);
// A left click at a client point of the window.
void Click(wxWindow* window, const wxPoint& client);
// Double-clicks the left button at one client point.
void DoubleClick(wxWindow* window, const wxPoint& client);
// Presses the left button at one client point, moves in steps to the other and lets go there (the
// end point may lie outside the window).
void Drag(wxWindow* window, const wxPoint& from, const wxPoint& to);
// A point in the middle of a row of a list, in client pixels of the list's main window (where the
// list takes its clicks); (-1, -1) when the row is not on screen.
wxPoint RowPoint(wxDataViewListCtrl* list, int row);
// For each column of a list's header: the width its title needs and the width it is given, in pixels.
std::vector<std::pair<int, int>> HeaderTitleWidths(wxDataViewCtrl* list);
// A point on the tab of a notebook page, in the notebook's client pixels; (-1, -1) when not found.
wxPoint TabPoint(wxBookCtrlBase* book, int page);
// Types a key with modifiers (wxMOD_CONTROL, wxMOD_SHIFT) to the window with the focus.
void Press(int keyCode, int modifiers = 0);
// Presses Tab the number of times; the controls the focus was on before each press, in order. atEach
// looks at each control while it has the focus.
std::vector<wxWindow*> TabThrough(int presses, const std::function<void(wxWindow*)>& atEach = {});
// Passes when the ids are reached in their order: each first reached after the one before it.
::testing::AssertionResult ReachedInOrder(const std::vector<int>& reached, const std::vector<int>& ids);
// What the screen shows where the window lies (its whole size), once its paints are done.
wxImage ScreenImage(wxWindow* window);
// The text of the tooltip window the toolkit shows now; empty when none is shown.
std::string ShownToolTip();

// The toolkit's accessible object of a window (what a screen reader reads); not owned.
AtkObject* Accessible(const wxWindow* window);
// The accessible name and role of an object.
std::string AccessibleName(AtkObject* object);
// What a screen reader learns of one accessible object.
struct AccessibleNode {
    std::string name;
    AtkRole role = ATK_ROLE_INVALID;
};
// Every descendant of an accessible object, depth first, up to the depth.
std::vector<AccessibleNode> AccessibleDescendants(AtkObject* object, int depth = 4);

} // namespace corvina::test
