// The host's top-level window: it shows the editor, forwards dropped MIDI files, finds the phone and
// posts its records, and asks the editor before it closes.
#pragma once

#include "CRingingtoneDlg.h"
#include "PhoneDetector.h"

#include <wx/frame.h>

#include <string>

namespace corvina {

// A copy of the text on the heap, as the editor frees the paths it is handed (delete[]).
char* CopyToHeap(const std::string& text);

class CHostFrame : public wxFrame {
public:
    CHostFrame();

    // Looks for the phone on the configured port and posts each new phone record to the editor.
    void StartDetection();
    CRingingtoneDlg* Editor() const { return m_editor; }
    // Posts a phone record as if the phone had been found.
    void PostPhone(const std::string& type, const std::string& imei);
    // Writes a PNG picture of the window as the screen shows it.
    void SaveScreenshot(const wxString& path);

private:
    void OnCloseWindow(wxCloseEvent& event);

    CRingingtoneDlg* m_editor;
    PhoneDetector m_detector;
};

} // namespace corvina
