// The host program: a top-level window that shows the editor, forwards dropped MIDI files, posts
// phone records and asks the editor before it quits.
#include "CHostOptions.h"
#include "CRingingtoneDlg.h"
#include "HostModule.h"
#include "MelodyArgument.h"
#include "PhoneDetector.h"
#include "WxUiServices.h"
#include "WindowMessage.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dnd.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace corvina {
namespace {

constexpr int kExitUsage = 64;

// Read in main() before the toolkit starts; the application object takes it from here.
CHostOptions g_options;

// The host's own string table: only the suite's name.
std::string HostString(unsigned id, long)
{
    return id == kHostSuiteNameId ? "Corvina" : std::string();
}

char* CopyToHeap(const std::string& text)
{
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

class MidiDropTarget : public wxFileDropTarget {
public:
    explicit MidiDropTarget(CRingingtoneDlg* editor) : m_editor(editor) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override
    {
        if (files.empty())
            return false;
        // The editor frees the path it is handed.
        PostMessage(m_editor, WM_DROP_MIDI_FILE, 0, reinterpret_cast<std::intptr_t>(CopyToHeap(files[0].ToStdString(wxConvUTF8))));
        return true;
    }

private:
    CRingingtoneDlg* m_editor;
};

class HostFrame : public wxFrame {
public:
    HostFrame()
        : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8(HostString(kHostSuiteNameId, 0)))
    {
        m_editor = new CRingingtoneDlg(this);
        m_editor->Init(this);
        SetClientSize(m_editor->GetSize());
        m_editor->Move(0, 0);
        SetDropTarget(new MidiDropTarget(m_editor));
        Bind(wxEVT_CLOSE_WINDOW, &HostFrame::OnCloseWindow, this);
    }

    // Polls the configured port and posts each new phone record to the editor.
    void StartDetection()
    {
        m_detector.Start();
    }

    CRingingtoneDlg* Editor() const { return m_editor; }

    void PostPhone(const std::string& type, const std::string& imei)
    {
        auto* record = new CMobileInfo();
        record->m_strPhoneType = type;
        record->m_strImei = imei;
        PostMessage(m_editor, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(record));
    }

    void SaveScreenshot(const wxString& path)
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

private:
    void OnCloseWindow(wxCloseEvent& event)
    {
        if (event.CanVeto() && !m_editor->CloseRingingtoneOK()) {
            event.Veto();
            return;
        }
        m_detector.Stop();
        m_editor->Close(true);
        Destroy();
    }

    CRingingtoneDlg* m_editor;
    PhoneDetector m_detector{[this](CMobileInfo* record) {
        PostMessage(m_editor, WM_NEW_PHONE, 0, reinterpret_cast<std::intptr_t>(record));
    }};
};

class CorvinaApp : public wxApp {
public:
    bool OnInit() override
    {
        SetHostStringLookup(&HostString);
        InstallUiServices(&m_ui);
        wxInitAllImageHandlers();
        // The command line was read before the toolkit started (see main below).
        m_phone = g_options.m_strPhone;
        m_page = g_options.m_nPage;
        m_screenshot = wxString::FromUTF8(g_options.m_strScreenshot);
        m_delayMs = g_options.m_nDelayMs;
        if (!g_options.m_strFile.empty())
            m_file = m_melody.Open(g_options.m_strFile);
        m_frame = new HostFrame();
        m_frame->Show();
        m_frame->Editor()->Show();
        if (!m_phone.empty()) {
            const auto comma = m_phone.find(',');
            m_frame->PostPhone(m_phone.substr(0, comma), comma == std::string::npos ? "" : m_phone.substr(comma + 1));
        } else {
            m_frame->StartDetection();
        }
        // A file on the command line is opened as if it had been dropped on the window.
        if (!m_file.empty())
            PostMessage(m_frame->Editor(), WM_DROP_MIDI_FILE, 0, reinterpret_cast<std::intptr_t>(CopyToHeap(m_file)));
        if (m_page >= 0)
            m_frame->Editor()->SetSheetCurSel(m_page);
        if (!m_screenshot.empty()) {
            // Give the window time to be mapped and painted, then capture it and quit. While the
            // window waits for work (a file opening shows the wait cursor) the picture waits too: it
            // shows the window once the work is done, and the work is not cut off.
            m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
                if (wxIsBusy()) {
                    m_timer.StartOnce(100);
                    return;
                }
                m_frame->SaveScreenshot(m_screenshot);
                m_frame->Destroy();
            });
            m_timer.StartOnce(m_delayMs);
        }
        return true;
    }

    int OnExit() override
    {
        InstallUiServices(nullptr);
        return wxApp::OnExit();
    }

private:
    WxUiServices m_ui;
    HostFrame* m_frame = nullptr;
    std::string m_phone;
    std::string m_file;
    int m_page = -1;
    wxString m_screenshot;
    int m_delayMs = 1500;
    wxTimer m_timer;
    MelodyArgument m_melody; // an iMelody file given on the command line, converted for the editor
};

} // namespace
} // namespace corvina

wxIMPLEMENT_APP_NO_MAIN(corvina::CorvinaApp);

int main(int argc, char** argv)
{
    using corvina::g_options;
    std::string error;
    if (!g_options.Parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        std::cerr << "corvina: " << error << " (try --help)\n";
        return corvina::kExitUsage;
    }
    if (g_options.m_bHelp) {
        std::cout << corvina::CHostOptions::HelpText();
        return 0;
    }
    if (g_options.m_bVersion) {
        std::cout << "corvina " << CORVINA_VERSION << "\n";
        return 0;
    }
    return wxEntry(argc, argv);
}
