// Names that screen readers read for controls that show only a picture.
#pragma once

#include <wx/window.h>

#include <string>

namespace corvina {

// Gives the control the name a screen reader announces (the toolkit's accessible object).
void SetAccessibleName(wxWindow* control, const std::string& name);
// The name a screen reader announces for the control; empty when it has none.
std::string GetAccessibleName(const wxWindow* control);

} // namespace corvina
