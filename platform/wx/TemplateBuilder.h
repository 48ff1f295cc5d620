// Turns a dialog template into wx controls on a parent window, positions converted from dialog
// units with the metrics of the font the dialogs use.
#pragma once

#include "DialogTemplate.h"
#include "DialogUnits.h"

#include <wx/font.h>
#include <wx/window.h>

#include <map>

namespace corvina {

// The font of the editor's dialogs: the desktop's own interface font, so the dialogs follow the
// size the user chose for reading.
wxFont DialogFont();

// Dialog units based on a font's average letter width and character height.
DialogUnits DialogUnitsForFont(const wxFont& font);

// Creates every control of the template as a child of parent; returns the controls by id (a control
// without an id is created but not returned).
std::map<int, wxWindow*> BuildTemplateControls(const DialogTemplate& dialogTemplate, wxWindow* parent,
                                               const DialogUnits& units);

// The pixel size of a template.
wxSize TemplateSize(const DialogTemplate& dialogTemplate, const DialogUnits& units);

} // namespace corvina
