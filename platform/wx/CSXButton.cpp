// Icon push buttons.
#include "CSXButton.h"

#include "ImageLoader.h"

namespace corvina {

CSXButton::CSXButton(wxWindow* parent, int id, const wxString& label, const wxPoint& pos, const wxSize& size,
                     long style)
    : wxButton(parent, id, label, pos, size, style)
{
}

void CSXButton::SetIcon(int iconId, int width, int height)
{
    m_iconId = iconId;
    m_iconWidth = width;
    m_iconHeight = height;
    const wxBitmap bitmap = LoadImageBitmap(iconId, width, height);
    if (!bitmap.IsOk())
        return;
    // No picture of its own for the disabled state: wx would keep showing it after the button (or
    // a window around it) is enabled again, and GTK dims the icon of a disabled button by itself.
    SetBitmap(bitmap, wxLEFT);
    SetBitmapMargins(2, 0);
}

} // namespace corvina

namespace corvina {

void CSXButton::SetLabel(const wxString& label)
{
    wxButton::SetLabel(label);
    if (m_iconId)
        SetIcon(m_iconId, m_iconWidth, m_iconHeight);
}

} // namespace corvina
