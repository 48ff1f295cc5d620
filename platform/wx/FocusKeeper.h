// Enabling and disabling controls without losing the keyboard focus: GTK drops the focus of a
// control that is disabled, which strands a keyboard user after Play or Update.
#pragma once

class wxWindow;

namespace corvina {

// Enables or disables a control. A focused control that is disabled hands the focus to its partner
// when the partner can take it (Play to Stop); otherwise it keeps its claim and takes the focus
// back when it is enabled again while no other control has taken it meanwhile.
void EnableKeepingFocus(wxWindow* control, bool enable, wxWindow* partner = nullptr);

// Gives the keyboard to the first control inside the window, in tab order, that can take it (shown
// and enabled, panels searched through); false when there is none.
bool FocusFirstControlIn(wxWindow* container);

} // namespace corvina
