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
