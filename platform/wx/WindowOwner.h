// Finds the window above a child that plays a role for it (a page's main dialog, a panel's page)
// by what it is, not by its class, so that a child needs to know only the role's interface.
#pragma once

#include <wx/window.h>

namespace corvina {

// The nearest window above `window` (not itself) that is an Owner; nullptr when none is.
template <class Owner>
Owner* OwnerOf(const wxWindow* window)
{
    for (wxWindow* w = window ? window->GetParent() : nullptr; w; w = w->GetParent())
        if (auto* owner = dynamic_cast<Owner*>(w))
            return owner;
    return nullptr;
}

} // namespace corvina
