// The claim of a control that lost the focus by being disabled, kept until it is enabled again.
#include "FocusKeeper.h"

#include <wx/panel.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>
#include <wx/window.h>

namespace corvina {
namespace {

// Only one control can have had the focus, so one claim is enough.
wxWeakRef<wxWindow>& Claim()
{
    static wxWeakRef<wxWindow> claim;
    return claim;
}

// True when no control of the window's top-level window has the keyboard focus.
bool NothingFocusedAround(wxWindow* control)
{
    wxWindow* focus = wxWindow::FindFocus();
    return !focus || focus == wxGetTopLevelParent(control) || !focus->IsEnabled() || !focus->IsShownOnScreen();
}

} // namespace

bool FocusFirstControlIn(wxWindow* container)
{
    for (wxWindow* child : container->GetChildren()) {
        if (child->IsTopLevel() || !child->IsShown() || !child->IsEnabled())
            continue;
        if (dynamic_cast<wxPanel*>(child)) {
            if (FocusFirstControlIn(child))
                return true;
        } else if (child->CanAcceptFocus()) {
            child->SetFocus();
            return true;
        }
    }
    return false;
}

void EnableKeepingFocus(wxWindow* control, bool enable, wxWindow* partner)
{
    if (!control)
        return;
    if (enable) {
        const bool wasDisabled = !control->IsEnabled();
        control->Enable();
        if (wasDisabled && Claim() == control) {
            Claim() = nullptr;
            if (NothingFocusedAround(control) && control->IsShownOnScreen())
                control->SetFocus();
        }
        return;
    }
    if (!control->IsEnabled())
        return;
    const bool focused = wxWindow::FindFocus() == control;
    if (focused && partner && partner->IsEnabled() && partner->IsShownOnScreen()) {
        partner->SetFocus();
        Claim() = nullptr;
    } else if (focused) {
        Claim() = control;
    }
    control->Disable();
}

} // namespace corvina
