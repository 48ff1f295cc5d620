// The host's window around the editor, with the phone's status line.
#include "CHostFrame.h"

#include "Accessibility.h"
#include "CPhoneConnectionDlg.h"
#include "CResource.h"
#include "HostModule.h"
#include "PhoneStatusText.h"
#include "UiServices.h"
#include "WindowMessage.h"

#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dnd.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <cstring>
#include <iostream>

namespace corvina {
namespace {

class MidiDropTarget : public wxFileDropTarget {
public:
    explicit MidiDropTarget(CRingingtoneDlg* editor) : m_editor(editor) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override
    {
        if (files.empty())
            return false;
        PostMessage(m_editor, WM_DROP_MIDI_FILE, 0,
                    reinterpret_cast<std::intptr_t>(CopyToHeap(files[0].ToStdString(wxConvUTF8))));
        return true;
    }

private:
    CRingingtoneDlg* m_editor;
};

} // namespace

char* CopyToHeap(const std::string& text)
{
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

CHostFrame::CHostFrame(PortOpenCheck openCheck)
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(GetHostString(kHostSuiteNameId, 0))),
      m_editor(new CRingingtoneDlg(this)), m_openCheck(openCheck),
      m_detector(
          [this](CMobileInfo* record) {
              PostMessage(m_editor, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(record));
          },
          [this](const SPhoneStatus& status) { CallAfter([this, status] { ShowStatus(status); }); }, openCheck)
{
    m_editor->Init(this);
    m_editor->Move(0, 0);

    // The status line: what the detector sees, and the way to choose the port by hand.
    const CResource strings = CResource::ForModule();
    m_pStatusPanel = new wxPanel(this, wxID_ANY);
    if (IsRightToLeft(strings.GetLanguage()))
        m_pStatusPanel->SetLayoutDirection(wxLayout_RightToLeft);
    m_pStatusText = new wxStaticText(m_pStatusPanel, wxID_ANY, wxString());
    m_pConnection = new wxButton(m_pStatusPanel, wxID_ANY, wxString::FromUTF8(strings.GetString(4717)));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_pStatusText, 1, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 12);
    row->Add(m_pConnection, 0, wxALIGN_CENTER_VERTICAL | wxALL, 6);
    m_pStatusPanel->SetSizer(row);
    m_pConnection->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnPhoneConnection(); });
    Relayout();

    SetDropTarget(new MidiDropTarget(m_editor));
    Bind(wxEVT_CLOSE_WINDOW, &CHostFrame::OnCloseWindow, this);
}

CHostFrame::~CHostFrame()
{
    m_detector.Stop();
}

void CHostFrame::Relayout()
{
    // The text wraps within the line's width; the line is as high as its text needs, and the
    // window never shrinks below the editor and the line.
    const wxSize editor = m_editor->GetSize();
    const int buttonWidth = m_pConnection->GetBestSize().GetWidth() + 12;
    m_strStatus = PhoneStatusText(m_status, CResource::ForModule());
    m_pStatusText->SetLabel(wxString::FromUTF8(m_strStatus));
    m_pStatusText->Wrap(std::max(100, editor.GetWidth() - buttonWidth - 24));
    SetAccessibleName(m_pStatusText, m_strStatus);
    const wxSize line = m_pStatusPanel->GetSizer()->ComputeFittingClientSize(m_pStatusPanel);
    m_pStatusPanel->SetSize(0, editor.GetHeight(), editor.GetWidth(), line.GetHeight());
    m_pStatusPanel->Layout();
    const wxSize all(editor.GetWidth(), editor.GetHeight() + line.GetHeight());
    SetMinClientSize(all);
    if (GetClientSize().GetWidth() < all.GetWidth() || GetClientSize().GetHeight() != all.GetHeight())
        SetClientSize(all);
}

void CHostFrame::ShowStatus(const SPhoneStatus& status)
{
    m_status = status;
    const std::string before = m_strStatus;
    Relayout();
    if (m_statusListener && m_strStatus != before)
        m_statusListener(m_strStatus);
}

void CHostFrame::StartDetection()
{
    ShowStatus({SPhoneStatus::eState::Looking, {}});
    m_detector.Start();
}

void CHostFrame::PostPhone(const std::string& type, const std::string& imei)
{
    auto* record = new CMobileInfo();
    record->m_strPhoneType = type;
    record->m_strImei = imei;
    PostMessage(m_editor, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(record));
    SPhoneStatus given{SPhoneStatus::eState::Connected, {}};
    given.report.model = type;
    given.report.device = "--phone";
    ShowStatus(given);
}

void CHostFrame::OnPhoneConnection()
{
    CPhoneConnectionDlg dialog(
        this, m_status.state == SPhoneStatus::eState::Connected ? m_status.report : SPortReport{}, m_openCheck);
    if (dialog.ShowModal() != wxID_OK)
        return;
    std::string error;
    if (!dialog.SaveChoice(error))
        Ui().MessageBox(error, "", MB_OK | MB_ICONEXCLAMATION);
    // The choice holds at once: the phone is looked for anew.
    m_detector.Rescan();
}

void CHostFrame::SaveScreenshot(const wxString& path)
{
    Raise();
    Update();
    const wxRect area(GetScreenPosition(), GetSize());
    wxBitmap shot(area.GetSize());
    wxMemoryDC memory(shot);
    wxScreenDC screen;
    memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
    memory.SelectObject(wxNullBitmap);
    if (!shot.SaveFile(path, wxBITMAP_TYPE_PNG))
        std::cerr << "corvina: cannot write " << path << "\n";
}

void CHostFrame::OnCloseWindow(wxCloseEvent& event)
{
    if (event.CanVeto() && !m_editor->CloseRingingtoneOK()) {
        event.Veto();
        return;
    }
    m_detector.Stop();
    m_editor->Close(true);
    Destroy();
}

} // namespace corvina
