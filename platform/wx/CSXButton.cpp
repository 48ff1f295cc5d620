// Icon push buttons.
#include "CSXButton.h"

#include "ImageLoader.h"

namespace corvina {

CSXButton::CSXButton(wxWindow* parent, int id, const wxString& label, const wxPoint& pos, const wxSize& size, long style)
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
    SetBitmap(bitmap, wxLEFT);
    SetBitmapDisabled(bitmap.ConvertToDisabled());
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
