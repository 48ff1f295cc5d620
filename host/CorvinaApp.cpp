// The host program: a top-level window that shows the editor, forwards dropped MIDI files, posts
// phone records and asks the editor before it quits.
#include "CHostFrame.h"
#include "CHostOptions.h"
#include "HostModule.h"
#include "MelodyArgument.h"
#include "WxUiServices.h"
#include "WindowMessage.h"

#include <wx/app.h>
#include <wx/image.h>
#include <wx/timer.h>

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
        m_frame = new CHostFrame();
        if (g_options.m_bStatus)
            m_frame->SetStatusListener([](const std::string& text) { std::cout << text << std::endl; });
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
    CHostFrame* m_frame = nullptr;
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
