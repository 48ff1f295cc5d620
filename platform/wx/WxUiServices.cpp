// Message boxes owned by the active top-level window, and the nesting busy cursor.
#include "WxUiServices.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

namespace corvina {

int WxUiServices::MessageBox(const std::string& text, const std::string& caption, unsigned style)
{
    long wxStyle = (style & 0x000F) == MB_YESNO ? wxYES_NO : wxOK;
    switch (style & 0x00F0) {
    case MB_ICONQUESTION: wxStyle |= wxICON_QUESTION; break;
    case MB_ICONEXCLAMATION: wxStyle |= wxICON_WARNING; break;
    case MB_ICONINFORMATION: wxStyle |= wxICON_INFORMATION; break;
    default: break;
    }
    wxWindow* owner = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    wxMessageDialog dialog(owner, wxString::FromUTF8(text), wxString::FromUTF8(caption), wxStyle);
    switch (dialog.ShowModal()) {
    case wxID_YES: return IDYES;
    case wxID_NO: return IDNO;
    default: return IDOK;
    }
}

int WxUiServices::Ask(const std::string& text, const std::vector<std::string>& answers)
{
    wxWindow* owner = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    const bool three = answers.size() >= 3;
    wxMessageDialog dialog(owner, wxString::FromUTF8(text), wxString(),
                           wxICON_QUESTION | wxYES_NO | (three ? wxCANCEL : 0));
    const auto label = [&answers](std::size_t i) {
        return i < answers.size() ? wxString::FromUTF8(answers[i]) : wxString();
    };
    if (three)
        dialog.SetYesNoCancelLabels(label(0), label(1), label(2));
    else
        dialog.SetYesNoLabels(label(0), label(1));
    switch (dialog.ShowModal()) {
    case wxID_YES: return 0;
    case wxID_NO: return 1;
    default: return three ? 2 : 1;
    }
}

void WxUiServices::BeginWaitCursor()
{
    wxBeginBusyCursor();
}

void WxUiServices::EndWaitCursor()
{
    if (wxIsBusy())
        wxEndBusyCursor();
}

} // namespace corvina
