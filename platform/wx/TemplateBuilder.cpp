// Maps each template control class onto the wx control that behaves like it.
#include "TemplateBuilder.h"

#include "CSXButton.h"
#include "CListCtrl.h"
#include "CTabCtrl.h"
#include "ImageLoader.h"

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dcmemory.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace corvina {
namespace {

bool Has(const ControlTemplate& c, std::uint32_t bit)
{
    return (c.style & bit) != 0;
}

wxWindow* CreateControl(const ControlTemplate& c, wxWindow* parent, const PixelRect& r, const DialogUnits& units)
{
    const wxPoint pos(r.x, r.y);
    const wxSize size(r.width, r.height);
    const int id = c.id == kNoId ? wxID_ANY : c.id;
    const wxString text = wxString::FromUTF8(c.text ? c.text : "");
    const long border = Has(c, CS_BORDER) ? wxBORDER_SIMPLE : 0;

    switch (c.cls) {
    case ControlClass::PushButton: return new wxButton(parent, id, text, pos, size);
    case ControlClass::IconButton:
        return new CSXButton(parent, id, c.text && *c.text && std::string(c.text) != "Button1" ? text : wxString(), pos,
                             size);
    case ControlClass::DropList:
        // A combo's template height includes its drop-down list; the closed control keeps its natural height.
        return new wxChoice(parent, id, pos, wxSize(r.width, -1), 0, nullptr, Has(c, CS_SORT) ? wxCB_SORT : 0);
    case ControlClass::DropDown:
        return new wxComboBox(parent, id, wxString(), pos, wxSize(r.width, -1), 0, nullptr,
                              wxCB_DROPDOWN | (Has(c, CS_SORT) ? wxCB_SORT : 0));
    case ControlClass::ListView: {
        long style = wxLC_REPORT | border;
        if (Has(c, CS_SINGLESEL))
            style |= wxLC_SINGLE_SEL;
        if (Has(c, CS_NOCOLUMNHEADER))
            style |= wxLC_NO_HEADER;
        if (Has(c, CS_NOSORTHEADER))
            style |= wxLC_NO_SORT_HEADER;
        return new CListCtrl(parent, id, pos, size, style);
    }
    case ControlClass::TrackBar: {
        long style = wxSL_HORIZONTAL;
        if (Has(c, CS_AUTOTICKS) && !Has(c, CS_NOTICKS))
            style |= wxSL_AUTOTICKS | (Has(c, CS_TICKSTOP) ? wxSL_TOP : 0);
        return new wxSlider(parent, id, 0, 0, 1, pos, size, style);
    }
    case ControlClass::RadioButton:
        return new wxRadioButton(parent, id, text, pos, size, Has(c, CS_GROUP) ? wxRB_GROUP : 0);
    case ControlClass::CheckBox: return new wxCheckBox(parent, id, text, pos, size);
    case ControlClass::Static: {
        long style = wxST_NO_AUTORESIZE | border;
        if (Has(c, CS_RIGHT))
            style |= wxALIGN_RIGHT;
        else if (Has(c, CS_CENTER))
            style |= wxALIGN_CENTRE_HORIZONTAL;
        return new wxStaticText(parent, id, text, pos, size, style);
    }
    case ControlClass::GroupBox: return new wxStaticBox(parent, id, text, pos, size);
    case ControlClass::StaticIcon:
    case ControlClass::StaticBitmap: {
        wxBitmap bitmap = LoadImageBitmap(c.imageId);
        // Bitmaps (the ruler strip, the clip marker) span pixel placements made for the template
        // font, so they grow with the dialog font; icons keep their real size.
        if (c.cls == ControlClass::StaticBitmap && bitmap.IsOk())
            bitmap = LoadImageBitmap(c.imageId, units.PixelX(bitmap.GetWidth()), units.PixelY(bitmap.GetHeight()));
        auto* control = new wxStaticBitmap(parent, id, bitmap.IsOk() ? bitmap : wxBitmap(1, 1), pos,
                                           bitmap.IsOk() ? bitmap.GetSize() : wxSize(1, 1));
        return control;
    }
    case ControlClass::Edit: {
        long style = border != 0 ? border : static_cast<long>(wxBORDER_SIMPLE);
        if (Has(c, CS_READONLY))
            style |= wxTE_READONLY;
        if (Has(c, CS_CENTER))
            style |= wxTE_CENTRE;
        return new wxTextCtrl(parent, id, text, pos, size, style);
    }
    case ControlClass::TabControl: return new CTabCtrl(parent, id, pos, size);
    }
    return nullptr;
}

// Gives a closed combo the height GTK needs to draw a line of text in it; an empty list box asks
// for no text height, so a sample entry is measured.
void FitComboHeight(wxWindow* control)
{
    const int width = control->GetSize().x;
    auto* list = dynamic_cast<wxChoice*>(control);
    const bool sample = list && list->IsEmpty() && !dynamic_cast<wxComboBox*>(control);
    if (sample)
        list->Append(wxString::FromUTF8("ÅÉgjy"));
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_height(control->GetHandle(), &minimum, &natural);
    if (sample)
        list->Clear();
    control->SetSize(width, natural);
}

void OnComboStyleUpdated(GtkWidget*, gpointer control)
{
    FitComboHeight(static_cast<wxWindow*>(control));
}

} // namespace

wxFont DialogFont()
{
    return wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
}

DialogUnits DialogUnitsForFont(const wxFont& font)
{
    // Measured on a memory canvas, so it works before any window exists and needs no display
    // other than the one the toolkit already opened.
    wxBitmap canvas(1, 1);
    wxMemoryDC dc(canvas);
    dc.SetFont(font);
    int lettersWidth = 0, height = 0;
    dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &lettersWidth, &height);
    return DialogUnits::FromFontMetrics(lettersWidth, dc.GetCharHeight());
}

std::map<int, wxWindow*> BuildTemplateControls(const DialogTemplate& dialogTemplate, wxWindow* parent,
                                               const DialogUnits& units)
{
    std::map<int, wxWindow*> controls;
    for (std::size_t i = 0; i < dialogTemplate.controlCount; ++i) {
        const ControlTemplate& c = dialogTemplate.controls[i];
        const PixelRect r = units.Rect(c.x, c.y, c.cx, c.cy);
        wxWindow* control = CreateControl(c, parent, r, units);
        if (!control)
            continue;
        control->SetFont(DialogFont());
        if (c.cls == ControlClass::DropList || c.cls == ControlClass::DropDown) {
            // GTK knows the height a closed combo needs for a line of the dialog font only once
            // the dialog font and the theme are applied to it, which the toolkit does late.
            g_signal_connect_after(control->GetHandle(), "style-updated", G_CALLBACK(OnComboStyleUpdated), control);
            control->Bind(wxEVT_DESTROY, [control](wxWindowDestroyEvent& event) {
                event.Skip();
                if (event.GetWindow() == control)
                    g_signal_handlers_disconnect_by_func(control->GetHandle(),
                                                         reinterpret_cast<gpointer>(OnComboStyleUpdated), control);
            });
        }
        if (!Has(c, CS_VISIBLE))
            control->Hide();
        if (Has(c, CS_DISABLED))
            control->Disable();
        if (c.id != kNoId && c.id != 0)
            controls[c.id] = control;
    }
    return controls;
}

wxSize TemplateSize(const DialogTemplate& dialogTemplate, const DialogUnits& units)
{
    return wxSize(units.X(dialogTemplate.cx), units.Y(dialogTemplate.cy));
}

} // namespace corvina
