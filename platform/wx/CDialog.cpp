// Template-built child dialogs with their message tables.
#include "CDialog.h"

#include "Accessibility.h"
#include "CResource.h"
#include "CSXButton.h"
#include "CompactTheme.h"
#include "DialogTemplate.h"
#include "TemplateBuilder.h"
#include "ToolkitLanguage.h"

#include <wx/button.h>

namespace corvina {

CDialog::CDialog(int templateId) : m_templateId(templateId) {}

CDialog::~CDialog() = default;

bool CDialog::Create(wxWindow* parent)
{
    const DialogTemplate* t = FindDialogTemplate(m_templateId);
    if (!t || m_created)
        return false;
    InstallCompactTheme();
    // As the templates' platform does: the units follow the font the dialog is drawn with.
    m_units = DialogUnitsForFont(DialogFont());
    const DialogUnits& units = m_units;
    long style = wxTAB_TRAVERSAL;
    if (t->style & DS_MODALFRAME)
        style |= wxBORDER_RAISED;
    if (!wxPanel::Create(parent, wxID_ANY, wxDefaultPosition, TemplateSize(*t, units), style))
        return false;
    m_created = true;
    const long language = CResource::ForModule().GetLanguage();
    // Message boxes and the file chooser then speak the dialogs' language.
    UseToolkitLanguage(language);
    // Before the controls exist, so that they take the direction and their places are mirrored.
    if (IsRightToLeft(language))
        SetLayoutDirection(wxLayout_RightToLeft);
    SetFont(DialogFont());
    m_controls = BuildTemplateControls(*t, this, units);
    for (auto& [id, control] : m_controls)
        control->Bind(wxEVT_ENTER_WINDOW, &CDialog::OnEnterControl, this);

    Bind(EVT_WINDOW_MESSAGE, &CDialog::OnWindowMessage, this);
    Bind(wxEVT_CHAR_HOOK, &CDialog::OnCharHook, this);
    Bind(wxEVT_SHOW, &CDialog::OnShow, this);
    if (!OnInitDialog())
        return false;
    RefreshToolTips();
    return true;
}

wxWindow* CDialog::GetDlgItem(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CDialog::ReplaceDlgItem(int id, wxWindow* window)
{
    if (!window) {
        m_controls.erase(id);
        return;
    }
    m_controls[id] = window;
    window->Bind(wxEVT_ENTER_WINDOW, &CDialog::OnEnterControl, this);
}

void CDialog::KeepOnTop(int id)
{
    wxWindow* control = GetDlgItem(id);
    if (!control || control->GetParent() != this)
        return;
    // A holder created now is drawn after every existing sibling; the control moves into it.
    auto* holder = new wxPanel(this, wxID_ANY, control->GetPosition(), control->GetSize(), 0);
    control->Reparent(holder);
    control->Move(0, 0);
    holder->Show(control->IsShown());
}

void CDialog::MoveWindow(int x, int y, int width, int height, bool repaint)
{
    SetSize(x, y, width, height);
    const wxRect visible(wxPoint(0, 0), GetClientSize());
    for (auto& [id, control] : m_controls) {
        if (control->GetParent() != this)
            continue;
        const bool outside = !visible.Intersects(control->GetRect());
        if (outside && control->IsShown()) {
            control->Hide();
            m_cutOff.insert(control);
        } else if (!outside && m_cutOff.erase(control)) {
            control->Show();
        }
    }
    if (repaint)
        Refresh();
}

void CDialog::PlaceAtTemplatePixels(wxWindow* child, int x, int y, int width, int height) const
{
    if (!child)
        return;
    const PixelRect r = m_units.Pixels(x, y, width, height);
    child->SetSize(r.x, r.y, r.width, r.height);
}

void CDialog::PlaceAtTemplatePixels(CDialog& child, int x, int y, int width, int height) const
{
    const PixelRect r = m_units.Pixels(x, y, width, height);
    child.MoveWindow(r.x, r.y, r.width, r.height, true);
}

void CDialog::AddMessageHandler(unsigned message, MessageHandler handler)
{
    m_messages[message] = std::move(handler);
}

void CDialog::OnWindowMessage(CWindowMessageEvent& event)
{
    const auto it = m_messages.find(event.Message());
    if (it == m_messages.end()) {
        event.Skip();
        return;
    }
    event.m_result = it->second(event.WParam(), event.LParam());
}

void CDialog::OnCharHook(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        // Enter on a focused button presses it, as everywhere on this desktop; elsewhere it is
        // the dialog's OK.
        if (auto* button = dynamic_cast<wxButton*>(wxWindow::FindFocus()); button && button->IsEnabled()) {
            wxCommandEvent click(wxEVT_BUTTON, button->GetId());
            click.SetEventObject(button);
            button->ProcessWindowEvent(click);
            return;
        }
        OnOK();
        return;
    case WXK_ESCAPE: OnCancel(); return;
    default: event.Skip();
    }
}

void CDialog::OnShow(wxShowEvent& event)
{
    event.Skip();
    if (event.GetEventObject() == this)
        OnShowWindow(event.IsShown());
}

void CDialog::OnEnterControl(wxMouseEvent& event)
{
    event.Skip();
    if (auto* control = dynamic_cast<wxWindow*>(event.GetEventObject()))
        RefreshControlToolTip(control);
}

void CDialog::RefreshControlToolTip(wxWindow* control)
{
    if (!control)
        return;
    std::string text;
    if (OnToolTip(control->GetId(), text))
        control->SetToolTip(wxString::FromUTF8(text));
    else
        control->UnsetToolTip();
    // A button that shows only its icon is announced by its tooltip text.
    if (auto* button = dynamic_cast<CSXButton*>(control); button && button->GetLabel().empty() && !text.empty())
        SetAccessibleName(button, text);
}

void CDialog::RefreshToolTip(int id)
{
    RefreshControlToolTip(GetDlgItem(id));
}

void CDialog::RefreshToolTips()
{
    // The toolkit shows a disabled control's tooltip but tells nobody when the pointer enters it,
    // so every tooltip is in place before the pointer comes.
    for (auto& [id, control] : m_controls)
        RefreshControlToolTip(control);
}

} // namespace corvina
