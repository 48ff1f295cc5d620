// The clip marker over the clip editor's ruler: a window of its own, so that it receives the mouse
// (and keeps it while dragged) and draws its picture over the whole width of the clip.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

namespace corvina {

class CClipMarker : public wxWindow {
public:
    // Takes the place and id of the template's marker picture; the picture is stretched to the size.
    CClipMarker(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, const wxBitmap& picture);

    // Moved with the mouse only; the keyboard sets the clip through the time fields.
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

private:
    void OnPaint(wxPaintEvent& event);

    wxBitmap m_Picture;
};

} // namespace corvina
