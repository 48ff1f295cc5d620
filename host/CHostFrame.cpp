// The host's window around the editor.
#include "CHostFrame.h"

#include "HostModule.h"
#include "WindowMessage.h"

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dnd.h>

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
        PostMessage(m_editor, WM_DROP_MIDI_FILE, 0, reinterpret_cast<std::intptr_t>(CopyToHeap(files[0].ToStdString(wxConvUTF8))));
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

CHostFrame::CHostFrame()
    : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(GetHostString(kHostSuiteNameId, 0)))
    , m_editor(new CRingingtoneDlg(this))
    , m_detector([this](CMobileInfo* record) { PostMessage(m_editor, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(record)); })
{
    m_editor->Init(this);
    SetClientSize(m_editor->GetSize());
    // The editor's controls have fixed places: the window never shrinks below them.
    SetMinClientSize(m_editor->GetSize());
    m_editor->Move(0, 0);
    SetDropTarget(new MidiDropTarget(m_editor));
    Bind(wxEVT_CLOSE_WINDOW, &CHostFrame::OnCloseWindow, this);
}

void CHostFrame::StartDetection()
{
    m_detector.Start();
}

void CHostFrame::PostPhone(const std::string& type, const std::string& imei)
{
    auto* record = new CMobileInfo();
    record->m_strPhoneType = type;
    record->m_strImei = imei;
    PostMessage(m_editor, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(record));
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
