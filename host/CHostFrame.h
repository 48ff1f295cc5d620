// The host's top-level window: it shows the editor with a status line below it that says how the
// phone is connected (or why not), forwards dropped MIDI files, finds the phone and posts its
// records, and asks the editor before it closes.
#pragma once

#include "CRingingtoneDlg.h"
#include "PhoneDetector.h"

#include <wx/frame.h>

#include <functional>
#include <string>

class wxButton;
class wxPanel;
class wxStaticText;

namespace corvina {

// A copy of the text on the heap, as the editor frees the paths it is handed (delete[]).
char* CopyToHeap(const std::string& text);

class CHostFrame : public wxFrame {
public:
    // openCheck stands in for opening a device when probing (tests); none: the real open.
    explicit CHostFrame(PortOpenCheck openCheck = {});
    ~CHostFrame() override;

    // Looks for the phone (the configured port, or the candidates for "auto") and posts each new
    // phone record to the editor; the status line follows.
    void StartDetection();
    CRingingtoneDlg* Editor() const { return m_editor; }
    // Posts a phone record as if the phone had been found (--phone on the command line).
    void PostPhone(const std::string& type, const std::string& imei);
    // Writes a PNG picture of the window as the screen shows it.
    void SaveScreenshot(const wxString& path);
    // The status line's text (as one line, however it wraps on the screen).
    std::string StatusText() const { return m_strStatus; }
    // Called with each new text of the status line (corvina --status).
    void SetStatusListener(std::function<void(const std::string&)> listener) { m_statusListener = std::move(listener); }
    // The button that opens "Phone connection…".
    wxButton* ConnectionButton() const { return m_pConnection; }
    // Opens "Phone connection…"; a choice made there is saved and used at once.
    void OnPhoneConnection();

private:
    void OnCloseWindow(wxCloseEvent& event);
    void ShowStatus(const SPhoneStatus& status);
    void Relayout();

    CRingingtoneDlg* m_editor;
    wxPanel* m_pStatusPanel = nullptr;
    wxStaticText* m_pStatusText = nullptr;
    wxButton* m_pConnection = nullptr;
    SPhoneStatus m_status;
    std::string m_strStatus;
    std::function<void(const std::string&)> m_statusListener;
    PortOpenCheck m_openCheck;
    PhoneDetector m_detector;
};

} // namespace corvina
