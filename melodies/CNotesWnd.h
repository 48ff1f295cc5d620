// The thin note view of the clip editor: one vertical stroke per note-on time on white.
#pragma once

#include <wx/window.h>

#include <cstdint>
#include <vector>

class wxDC;

namespace corvina {

class CNotesWnd : public wxWindow {
public:
    // The control id and window name the clip editor gives the view.
    static constexpr int kControlId = 20001;
    static constexpr const char* kWindowName = "NotesWindow";

    CNotesWnd();
    // Creates the bordered child window; its width member becomes the client width.
    CNotesWnd(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    // The note-on times to draw (microseconds, may be null) and the time of the full width. The view
    // keeps only the pixel columns of its strokes, never the list: whoever owns the list may free
    // it at any time after the call.
    void SetNotes(const std::vector<std::uint32_t>* times, std::uint32_t total);
    // Client width in pixels that the times are spread over.
    int GetWidth() const { return m_nWidth; }
    // Draws the view onto any device context of the client size (used by painting and by tests).
    void Draw(wxDC& dc, const wxSize& clientSize) const;

private:
    void OnPaint(wxPaintEvent& event);

    std::vector<int> m_strokes; // the x of each stroke, ascending, each once
    int m_nWidth = 0;
};

} // namespace corvina
