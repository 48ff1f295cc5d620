// The clip editor's file-open dialog: the desktop's own dialog with Play and Stop added, so that a
// MIDI or iMelody file can be heard before it is opened.
#pragma once

#include "CMciPlayer.h"

#include <wx/filedlg.h>
#include <wx/filedlgcustomize.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvina {

class CMelodyFileDialog : public wxFileDialog {
public:
    static constexpr int IDC_BUTTON_PLAY = 4557;
    static constexpr int IDC_BUTTON_STOP = 4577;

    // An open dialog for existing files. filter: "text|pattern|text|pattern", a closing "||" allowed.
    CMelodyFileDialog(wxWindow* parent, const std::string& filter, const std::string& initialFolder = "");
    ~CMelodyFileDialog() override;

    // The filter of the clip editor: MIDI files, then all files.
    static std::string MidiFilter();

    // Shows the dialog; a preview still playing stops when it closes.
    int ShowModal() override;

    // Plays the file selected in the dialog (a copy of it, or its conversion for an iMelody file).
    void OnButtonPlay();
    void OnButtonStop();
    // Plays the given file as Play does for the selected one.
    void PlayPreview(const std::string& selectedPath);

    bool IsPlayEnabled() const { return m_bPlayEnabled; }
    bool IsStopEnabled() const { return m_bStopEnabled; }
    const std::filesystem::path& GetPreviewPath() const { return m_strPreviewPath; }
    CMciPlayer& Player() { return m_Player; }

private:
    // Adds the buttons to the dialog when it is shown and keeps them in step with the dialog.
    class CButtonsHook : public wxFileDialogCustomizeHook {
    public:
        explicit CButtonsHook(CMelodyFileDialog& dialog) : m_dialog(dialog) {}
        void AddCustomControls(wxFileDialogCustomize& customizer) override;

    private:
        CMelodyFileDialog& m_dialog;
    };

    void OnInitControls();
    void SetPlayState(bool playing);
    std::intptr_t OnMciNotify(std::intptr_t serial);

    CMciPlayer m_Player;                   // plays the preview in full
    CButtonsHook* m_pHook;                 // outlives the dialog's own controls, which call it last
    wxFileDialogButton* m_pPlay = nullptr; // owned by the dialog while it is shown
    wxFileDialogButton* m_pStop = nullptr;
    bool m_bPlayEnabled = true;
    bool m_bStopEnabled = false;
    std::filesystem::path m_strPreviewPath;
    std::intptr_t m_nPlaySerial = 0; // numbers the plays, so a late end of play is recognised
};

} // namespace corvina
