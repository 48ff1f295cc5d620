// Time field of the clip editor: formats times, reads typed ones back when the focus leaves.
#include "CTimeEdit.h"

#include "TimeText.h"
#include "WindowMessage.h"

namespace corvina {

CTimeEdit::CTimeEdit() : m_nDigits(kDefaultTimeDigits) {}

CTimeEdit::CTimeEdit(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : m_nDigits(kDefaultTimeDigits)
{
    Create(parent, id, pos, size, style);
}

bool CTimeEdit::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
{
    if (!wxTextCtrl::Create(parent, id, wxString(), pos, size, style))
        return false;
    BindEvents();
    return true;
}

CTimeEdit* CTimeEdit::ReplaceTextCtrl(wxTextCtrl* field)
{
    if (!field || !field->GetParent())
        return nullptr;
    auto* replacement = new CTimeEdit(field->GetParent(), field->GetId(), field->GetPosition(), field->GetSize(),
                                      field->GetWindowStyle());
    replacement->SetFont(field->GetFont());
    replacement->Show(field->IsShown());
    replacement->Enable(field->IsEnabled());
    // Keep the tab order of the template.
    replacement->MoveAfterInTabOrder(field);
    field->Destroy();
    return replacement;
}

void CTimeEdit::BindEvents()
{
    Bind(wxEVT_KILL_FOCUS, &CTimeEdit::OnKillFocus, this);
}

void CTimeEdit::SetTime(std::int32_t ms)
{
    const std::optional<std::string> text = FormatTime(ms, m_nDigits);
    if (!text)
        return;
    m_nValue = ms;
    ChangeValue(wxString::FromUTF8(*text));
}

std::int32_t CTimeEdit::ParseTime()
{
    const std::int32_t ms = ParseTimeText(GetValue().utf8_string(), m_nDigits);
    if (ms >= 0)
        PostMessage(GetParent(), WM_TIME_ENTERED, reinterpret_cast<std::uintptr_t>(this), 0);
    return ms;
}

void CTimeEdit::SetDigits(int digits)
{
    if (digits >= 1 && digits <= 3)
        m_nDigits = digits;
}

void CTimeEdit::OnKillFocus(wxFocusEvent& event)
{
    // The native control still needs the event to hide its caret.
    event.Skip();
    // A field losing the focus because its dialog goes away has nobody left to tell.
    if (IsBeingDeleted() || (GetParent() && GetParent()->IsBeingDeleted()))
        return;
    const std::int32_t ms = ParseTime();
    if (ms >= 0)
        m_nValue = ms;
    else
        SetTime(m_nValue);
}

} // namespace corvina
