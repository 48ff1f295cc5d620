// A push button that shows an icon beside (or instead of) its text.
#pragma once

#include <wx/button.h>

namespace corvina {

class CSXButton : public wxButton {
public:
    CSXButton() = default;
    CSXButton(wxWindow* parent, int id, const wxString& label, const wxPoint& pos, const wxSize& size, long style = 0);
    // Shows the icon with the resource id at width x height pixels.
    void SetIcon(int iconId, int width, int height);
    int GetIconId() const { return m_iconId; }
    // A new text keeps the icon (GTK rebuilds the button's content when its text changes).
    void SetLabel(const wxString& label) override;

private:
    int m_iconId = 0;
    int m_iconWidth = 0;
    int m_iconHeight = 0;
};

} // namespace corvina
