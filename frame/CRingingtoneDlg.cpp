// The main dialog: construction, pages, heading, tabs, read-out button and the exit question.
#include "CRingingtoneDlg.h"

#include "CSXButton.h"
#include "CTabCtrl.h"
#include "CTraceFile.h"
#include "FocusKeeper.h"
#include "HostModule.h"
#include "UiServices.h"
#include "WindowOwner.h"

#include <wx/dcclient.h>
#include <wx/fontenum.h>

namespace corvina {
namespace {

wxFont HeadingFont()
{
    // The heading was designed in Tahoma; the nearest installed sans face stands in for it.
    wxString face = "Tahoma";
    for (const char* candidate : {"Tahoma", "DejaVu Sans", "Liberation Sans", "Noto Sans"}) {
        if (wxFontEnumerator::IsValidFacename(candidate)) {
            face = candidate;
            break;
        }
    }
    return wxFont(wxFontInfo(12).Bold().FaceName(face));
}

} // namespace

CRingingtoneDlg::CRingingtoneDlg(wxWindow* parent) : CDialog(IDD), m_pHostWnd(parent)
{
    TheTrace().Trace(3, "Entering CRingingtoneDlg::CRingingtoneDlg");
    m_Resource = CResource::ForModule();
    m_nShown = 0;
    m_bValidationPending = false;
    m_bConnected = 0;
    m_bWasRead = 0;
    SetRtDefaults();
    TheTrace().Trace(3, "Leaving CRingingtoneDlg::CRingingtoneDlg");
    m_pMobileInfo = new CMobileInfo();
    m_strRtStdFolder.clear();
    m_strImyStdFolder.clear();
    m_strRtSelFileName.clear();
    m_eCurLine = ePhonebookCalls;

    AddMessageHandler(WM_NEW_PHONE, [this](std::uintptr_t w, std::intptr_t l) { return OnNewPhone(w, l); });
    AddMessageHandler(WM_DROP_MIDI_FILE, [this](std::uintptr_t w, std::intptr_t l) { return OnDropMidiFile(w, l); });
    AddMessageHandler(WM_VALIDATE_NEW, [this](std::uintptr_t w, std::intptr_t l) { return OnMsgValidateNew(w, l); });
    AddMessageHandler(WM_RT_INFOS_READ, [this](std::uintptr_t w, std::intptr_t l) { return OnMsgRtInfosRead(w, l); });
}

CRingingtoneDlg::~CRingingtoneDlg()
{
    CancelReadOut(false);
    JoinRetiredReadOuts(true);
    delete m_pMobileInfo;
    m_pMobileInfo = nullptr;
    delete m_pDeferredPhone;
    EmptyRtFileList();
}

void CRingingtoneDlg::EndTransfer()
{
    if (m_nTransfers > 0 && --m_nTransfers == 0 && m_pDeferredPhone) {
        PostMessage(this, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(m_pDeferredPhone));
        m_pDeferredPhone = nullptr;
    }
}

bool CRingingtoneDlg::Init(wxWindow* parent)
{
    m_pHostWnd = parent;
    if (!Create(parent))
        return false;
    // The host shows the dialog when it is ready; showing validates a waiting phone record.
    Hide();
    return true;
}

bool CRingingtoneDlg::OnInitDialog()
{
    m_pButtonRead = Item<CSXButton>(IDC_BUTTON_READ);
    m_pTab = Item<CTabCtrl>(IDC_TAB);
    if (!m_pButtonRead || !m_pTab)
        return false;

    // The button reaches down into the tab strip's empty right end; it stays on top.
    KeepOnTop(IDC_BUTTON_READ);
    m_pButtonRead->SetIcon(4509, 16, 16);
    m_pButtonRead->SetLabel(wxString::FromUTF8(m_Resource.GetString(508)));
    m_pTab->InsertItem(0, m_Resource.GetString(501));
    m_pTab->InsertItem(1, m_Resource.GetString(502));

    // Each page lives in its tab's holder, in the rectangle the tab control leaves for pages.
    const wxSize client = m_pTab->GetClientSize();
    const wxRect pageRect(0, 0, client.GetWidth() - 6, client.GetHeight() - 33);
    m_TonesMobileDlg.Create(m_pTab->GetPageHolder(0));
    m_TonesMobileDlg.MoveWindow(pageRect.x, pageRect.y, pageRect.width, pageRect.height, true);
    m_MelodiesDlg.Create(m_pTab->GetPageHolder(1));
    m_MelodiesDlg.MoveWindow(pageRect.x, pageRect.y, pageRect.width, pageRect.height, true);
    m_MelodiesDlg.SetPlcFrameDlg(m_pHostWnd);

    m_pButtonRead->Disable();
    UpdateControls();
    m_TonesMobileDlg.Show();
    m_MelodiesDlg.Hide();
    m_pTab->SetCurSel(0);

    Bind(wxEVT_PAINT, &CRingingtoneDlg::OnPaint, this);
    Bind(EVT_TAB_SELCHANGE, &CRingingtoneDlg::OnSelchangePropertySheet, this);
    Bind(wxEVT_CHAR_HOOK, &CRingingtoneDlg::OnPageKey, this);
    m_pButtonRead->Bind(wxEVT_BUTTON, &CRingingtoneDlg::OnButtonRead, this);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        OnClose();
        event.Skip();
    });
    return true;
}

void CRingingtoneDlg::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    dc.SetFont(HeadingFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(wxColour(8, 0, 0));
    const PixelRect r =
        Units().Pixels(kHeadingLeft, kHeadingTop, kHeadingRight - kHeadingLeft, kHeadingBottom - kHeadingTop);
    const wxRect area(r.x, r.y, r.width, r.height);
    dc.SetClippingRegion(area);
    // Single line, from the rectangle's top left corner.
    wxString text = wxString::FromUTF8(m_Resource.GetString(500));
    text.Replace("\n", " ");
    dc.DrawText(text, area.GetTopLeft());
    dc.DestroyClippingRegion();
}

void CRingingtoneDlg::OnSelchangePropertySheet(wxCommandEvent&)
{
    SetSheetCurSel(m_pTab->GetCurSel());
}

void CRingingtoneDlg::OnPageKey(wxKeyEvent& event)
{
    // Ctrl+Tab and Ctrl+PgDn go to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the previous one,
    // wherever the focus is inside the editor.
    const int modifiers = event.GetModifiers();
    const int key = event.GetKeyCode();
    int step = 0;
    if (key == WXK_TAB && modifiers == wxMOD_CONTROL)
        step = 1;
    else if (key == WXK_TAB && modifiers == (wxMOD_CONTROL | wxMOD_SHIFT))
        step = -1;
    else if ((key == WXK_PAGEDOWN || key == WXK_NUMPAD_PAGEDOWN) && modifiers == wxMOD_CONTROL)
        step = 1;
    else if ((key == WXK_PAGEUP || key == WXK_NUMPAD_PAGEUP) && modifiers == wxMOD_CONTROL)
        step = -1;
    if (step == 0 || !m_pTab || m_pTab->GetItemCount() == 0) {
        event.Skip();
        return;
    }
    SetSheetCurSel(m_pTab->NeighbourItem(step));
    // The focus goes to the tabs, as when a tab is chosen with the mouse, so it never stays in the
    // hidden page.
    m_pTab->SetFocus();
}

CRingingtoneDlg* CRingingtoneDlg::FromPage(const wxWindow* window)
{
    return OwnerOf<CRingingtoneDlg>(window);
}

void CRingingtoneDlg::SetSheetCurSel(int page)
{
    if (m_pTab)
        m_pTab->SetCurSel(page);
    m_TonesMobileDlg.Show(page == 0);
    m_MelodiesDlg.Show(page == 1);
}

void CRingingtoneDlg::UpdateControls()
{
    UpdateReadButton(false);
    m_TonesMobileDlg.UpdateControls();
    m_MelodiesDlg.UpdateControls();
    FocusPageIfNothingIs();
}

void CRingingtoneDlg::FocusPageIfNothingIs()
{
    // The keyboard starts on the shown page's first usable control, and comes back there when the
    // control that had it was disabled (before a phone is read out every control of a page may be).
    wxWindow* focus = wxWindow::FindFocus();
    if (!IsShown() || (focus && wxGetTopLevelParent(focus) != wxGetTopLevelParent(this)))
        return;
    // A panel (a page, its holder in the tabs, a sub-dialog) takes no keys of its own.
    // The tabs that only hold the keyboard until the page can take it count as nothing too.
    const bool stranded = !focus || focus->IsTopLevel() || !focus->IsEnabled() || !focus->IsShownOnScreen() ||
                          dynamic_cast<wxPanel*>(focus) || (m_bFocusParkedOnTabs && focus == m_pTab);
    if (!stranded)
        return;
    wxWindow& page = m_TonesMobileDlg.IsShown() ? static_cast<wxWindow&>(m_TonesMobileDlg) : m_MelodiesDlg;
    m_bFocusParkedOnTabs = false;
    if (!FocusFirstControlIn(&page) && m_pTab) {
        m_pTab->SetFocus(); // nothing on the page takes the keyboard yet: the tabs do meanwhile
        m_bFocusParkedOnTabs = true;
    }
}

void CRingingtoneDlg::UpdateReadButton(bool busy)
{
    if (!m_pButtonRead)
        return;
    // Pressed with the keyboard, the button gets the focus back when the read-out is over.
    EnableKeepingFocus(m_pButtonRead, !busy && m_bConnected);
    const bool update = m_bConnected && (m_bWasRead || busy);
    m_pButtonRead->SetLabel(wxString::FromUTF8(m_Resource.GetString(update ? 538 : 508)));
}

void CRingingtoneDlg::OnShowWindow(bool show)
{
    if (show && !m_nShown)
        CallAfter([this] { FocusPageIfNothingIs(); });
    m_nShown = show;
    if (show && m_bValidationPending) {
        PostMessage(this, WM_VALIDATE_NEW, 0, reinterpret_cast<std::intptr_t>(m_pMobileInfo));
        m_bValidationPending = false;
    }
}

void CRingingtoneDlg::OnClose()
{
    CSharedStrings::Destroy();
    if (m_pReadOut) {
        CWaitCursor wait;
        CancelReadOut(false);
    }
}

int CRingingtoneDlg::CloseRingingtoneOK()
{
    if (m_MelodiesDlg.CloseOk())
        return 1;
    const long language = CResource::ForModule().GetLanguage();
    std::string suite = GetHostString(kHostSuiteNameId, language);
    const std::string caption = suite + " (" + m_Resource.GetString(500) + ")";
    const int answer = Ui().MessageBox(m_Resource.GetString(4023), caption, MB_YESNO | MB_ICONQUESTION);
    return answer == IDYES ? 1 : 0;
}

std::intptr_t CRingingtoneDlg::OnDropMidiFile(std::uintptr_t, std::intptr_t lParam)
{
    char* path = reinterpret_cast<char*>(lParam);
    if (!path)
        return 0;
    const std::string copy(path);
    SetSheetCurSel(1);
    m_MelodiesDlg.OnDropMidiFile(copy);
    delete[] path;
    return 0;
}

std::string CRingingtoneDlg::GetPhoneType() const
{
    return m_pMobileInfo ? m_pMobileInfo->m_strPhoneType : std::string();
}

std::string CRingingtoneDlg::GetCurImei() const
{
    return m_pMobileInfo ? m_pMobileInfo->m_strImei : std::string();
}

long CRingingtoneDlg::GetNumberRt() const
{
    return m_bRtByFilename ? static_cast<long>(m_RtFiles.Names().size()) : m_lNumberRt;
}

void CRingingtoneDlg::SetRtDefaults()
{
    m_bRtByFilename = true;
    m_strRtStdFolder.clear();
    m_strImyStdFolder.clear();
    m_strRtSelFileName.clear();
    EmptyRtFileList();
    m_lNumberFixRt = 40;
    m_lNumberRt = 0;
    m_lFirstUsedIndexRt = 0;
    m_lNumberUserdefRt = 2;
    m_lRtIndex = -1;
    m_lRtArrayIndex = -1;
}

void CRingingtoneDlg::EmptyRtFileList()
{
    m_RtFiles.Empty();
    m_nImyNames = 0;
}

} // namespace corvina
