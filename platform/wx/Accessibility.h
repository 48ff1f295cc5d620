// Names that screen readers read for controls that show only a picture or stand beside their label.
#pragma once

#include <wx/window.h>

#include <string>

namespace corvina {

// Gives the control the name a screen reader announces (the toolkit's accessible object).
void SetAccessibleName(wxWindow* control, const std::string& name);
// The name a screen reader announces for the control; empty when it has none.
std::string GetAccessibleName(const wxWindow* control);
// A label's text as a name: without the colon, blanks and dots it ends with ("Volume:" → "Volume").
std::string NameFromLabel(const std::string& label);

} // namespace corvina
