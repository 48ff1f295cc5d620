// Note view painting: a white strip with a black stroke at each note-on time.
#include "CNotesWnd.h"

#include "ClipGeometry.h"

#include <wx/dcclient.h>

#include <algorithm>

namespace corvina {

CNotesWnd::CNotesWnd() = default;

CNotesWnd::CNotesWnd(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    Create(parent, id, pos, size);
}

bool CNotesWnd::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    if (!wxWindow::Create(parent, id, pos, size, wxBORDER_SIMPLE, kWindowName))
        return false;
    // Every pixel is painted here, so the toolkit need not erase first.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_nWidth = GetClientSize().GetWidth();
    Bind(wxEVT_PAINT, &CNotesWnd::OnPaint, this);
    return true;
}

void CNotesWnd::SetNotes(const std::vector<std::uint32_t>* times, std::uint32_t total)
{
    std::vector<bool> column(static_cast<std::size_t>(std::max(0, m_nWidth)) + 1, false);
    if (times)
        for (const std::uint32_t t : *times)
            if (const std::optional<int> x = NoteStrokeX(m_nWidth, t, total);
                x && *x >= 0 && *x < static_cast<int>(column.size()))
                column[static_cast<std::size_t>(*x)] = true;
    m_strokes.clear();
    for (std::size_t x = 0; x < column.size(); ++x)
        if (column[x])
            m_strokes.push_back(static_cast<int>(x));
}

void CNotesWnd::Draw(wxDC& dc, const wxSize& clientSize) const
{
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    if (m_strokes.empty())
        return;
    // Each stroke is a one-pixel column filled black: a drawn line would be smoothed by the toolkit
    // at its ends and leave grey pixels.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    for (const int x : m_strokes)
        dc.DrawRectangle(x, 0, 1, clientSize.GetHeight());
}

void CNotesWnd::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    Draw(dc, GetClientSize());
}

} // namespace corvina
