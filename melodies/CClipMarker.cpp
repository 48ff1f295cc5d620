// Draws the clip marker's picture stretched over the marker's whole width.
#include "CClipMarker.h"

#include <wx/dcbuffer.h>
#include <wx/image.h>

namespace corvina {

CClipMarker::CClipMarker(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, const wxBitmap& picture)
    : wxWindow(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE), m_Picture(picture)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CClipMarker::OnPaint, this);
}

void CClipMarker::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    if (size.GetWidth() <= 0 || size.GetHeight() <= 0)
        return;
    if (!m_Picture.IsOk()) {
        dc.SetBrush(*wxBLUE_BRUSH);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRectangle(wxPoint(0, 0), size);
        return;
    }
    // A clip of a few milliseconds is a few pixels wide; the picture still fills it.
    const wxImage scaled = m_Picture.ConvertToImage().Scale(size.GetWidth(), size.GetHeight(), wxIMAGE_QUALITY_NORMAL);
    dc.DrawBitmap(wxBitmap(scaled), 0, 0);
}

} // namespace corvina
