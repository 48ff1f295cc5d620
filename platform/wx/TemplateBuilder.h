// Turns a dialog template into wx controls on a parent window, positions converted from dialog
// units with the template font's metrics.
#pragma once

#include "DialogTemplate.h"
#include "DialogUnits.h"

#include <wx/font.h>
#include <wx/window.h>

#include <map>

namespace corvina {

// The compact font the editor's dialogs use, so texts fit the rectangles the templates give.
wxFont CompactDialogFont();

// Creates every control of the template as a child of parent; returns the controls by id (a control
// without an id is created but not returned).
std::map<int, wxWindow*> BuildTemplateControls(const DialogTemplate& dialogTemplate, wxWindow* parent,
                                               const DialogUnits& units);

// The pixel size of a template.
wxSize TemplateSize(const DialogTemplate& dialogTemplate, const DialogUnits& units);

} // namespace corvina
