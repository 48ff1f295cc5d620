// A text field that shows a time in milliseconds as "m:ss.f" and reads typed times back.
#pragma once

#include <wx/textctrl.h>

#include <cstdint>

namespace corvina {

class CTimeEdit : public wxTextCtrl {
public:
    // Two-step construction, as for any wx control: Create() makes the window.
    CTimeEdit();
    CTimeEdit(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0);
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0);
    // Takes the place of a plain text field built from a dialog template: same parent, id, position,
    // size and style. The old field is destroyed; the new one is returned.
    static CTimeEdit* ReplaceTextCtrl(wxTextCtrl* field);

    // Shows ms and stores it as the value; a negative time changes nothing.
    void SetTime(std::int32_t ms);
    // The time of the text in ms, or -1 when it cannot be read; a readable time is also posted to
    // the parent as WM_TIME_ENTERED with this field as wParam.
    std::int32_t ParseTime();
    // The fraction digits shown, 1 to 3; other counts are ignored.
    void SetDigits(int digits);
    int GetDigits() const { return m_nDigits; }
    // The last valid time shown or entered.
    std::int32_t GetTime() const { return m_nValue; }

private:
    void BindEvents();
    void OnKillFocus(wxFocusEvent& event);

    std::int32_t m_nValue = 0;
    int m_nDigits;
};

} // namespace corvina
