// The clip editor of the Melodies page: open a MIDI file, pick a track/channel combination or the
// whole file, see its notes over a ruler, set the clip by dragging its marker or typing its times,
// hear it on the PC and save it.
#pragma once

#include "CDialog.h"
#include "CPlayOnPcSubDlg.h"
#include "ClipGeometry.h"
#include "NoteList.h"
#include "PhoneFitTexts.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class wxButton;
class wxImageList;
class wxRadioButton;
class wxStaticText;

namespace corvina {

class CClipMarker;
class CListCtrl;

class CMelodiesDlg;
class CMidiFile;
class CMidiTrack;
class CNotesWnd;
class CSXButton;
class CTimeEdit;

class CClipEditDlg : public CDialog {
public:
    static constexpr int IDD = 4563;
    static constexpr int IDC_RULER = 4593;
    static constexpr int IDC_MARKER = 4594;
    static constexpr int IDC_CLIP_START = 4595;
    static constexpr int IDC_CLIP_END = 4596;
    static constexpr int IDC_CLIP_LENGTH = 4597;
    static constexpr int IDC_PLAYER_LENGTH = 4598;
    static constexpr int IDC_TRACK_LENGTH = 4599;
    static constexpr int IDC_TRACK_LIST = 4574;
    static constexpr int IDC_FILE = 4582;
    static constexpr int IDC_FILE_LENGTH = 4583;
    static constexpr int IDC_SAVE_AS = 4516;
    static constexpr int IDC_OPEN = 4564;
    // Controls of the editor's own beyond the template: the sound of the PC play panel (the PC's or
    // the phone's), the suggested clip, and the clip's voices and size against the phone's limits.
    static constexpr int IDC_SOUND_PC = 4740;
    static constexpr int IDC_SOUND_PHONE = 4741;
    static constexpr int IDC_SUGGEST = 4759;
    static constexpr int IDC_LIMITS = 4742;

    CClipEditDlg();
    ~CClipEditDlg() override;

    // The page the editor belongs to; set before the window is created.
    void SetParentPage(CMelodiesDlg* page) { m_pParentPage = page; }

    // Opens a MIDI file; on failure the message is shown and the previous file stays open.
    bool OpenFile(const std::string& path);
    void OnOpen();
    void OnSaveAs();
    // The open file's path.
    void SetFileName(const std::string& path);
    const std::string& GetFileName() const { return m_strFileName; }
    // The page's control update: a valid file enables the player, track list, marker and Save as.
    void UpdateFromPage(bool validFile);

    void FillTrackList();
    void SelectCombination(int row);
    void MarkCurrentRow();
    void ShowCombination();
    void UpdateClipFromEdits();
    // The clip after a drag step of the mode, from where the marker now lies; done: the drag is over.
    void UpdateClipFromMarker(DragMode mode, bool done);
    // Writes the clip of the current row into the clip file; the number of notes written, -1 when
    // the clip cannot be written (it is too long for the writer).
    int PrepareClip();
    // PrepareClip, telling the user why a clip cannot be saved or sent: it has no notes, or it is
    // too long to be written (with the longest clip from its start that can be). True when written.
    bool PrepareClipOrSayWhy();
    // Transmits the clip to the phone (the page's Transmit button).
    void WriteToPhone();
    // Sets the clip to the part of the song that returns most (the Suggest clip button); its reason
    // becomes the button's tooltip.
    void OnSuggestClip();
    // The phone's limits and sound (none known without a phone).
    SoundProfile PhoneSound() const;
    // The clip's voices and size, as the label beside the clip shows them against the phone's limits.
    SClipNeeds ClipNeeds();
    // The label's texts (what is shown, what a screen reader says).
    std::string LimitsShown() const;
    std::string LimitsSpoken() const;
    // The reason of the last suggestion ("" before one).
    const std::string& SuggestionReason() const { return m_strReason; }

    bool IsAllRow() const;
    int GetCurrentRow() const { return m_nCurRow; }
    std::int32_t GetLength() const { return m_nLength; }
    ClipTimes GetClip() const { return {m_nClipStart, m_nClipEnd}; }
    bool GetSaved() const { return m_bSaved; }
    void SetSaved(bool saved) { m_bSaved = saved; }
    CMidiFile* GetMidiFile() const { return m_pMidiFile.get(); }
    CPlayOnPcSubDlg& GetPlayer() { return m_Player; }
    const std::string& GetSavedPath() const { return m_strSavedPath; }
    // The clip marker's edges in editor client pixels of the template font (the clip rules' scale).
    MarkerEdges GetMarkerEdges() const;

    // Mouse handling of the marker, in the editor's layout pixels taken to the template font's scale
    // (also driven by tests).
    void OnMarkerButtonDown(int x, int y);
    void OnMarkerMouseMove(int x);
    void OnMarkerButtonUp();
    // The marker lost the mouse to another window: the drag ends without leaving the mouse held.
    void OnMarkerCaptureLost();

protected:
    bool OnInitDialog() override;
    bool OnToolTip(int controlId, std::string& text) override;

private:
    // Builds the controls beyond the template (sound choice, Suggest clip, limits label).
    void CreatePhoneControls();
    // Measures the clip and shows its needs against the phone's limits.
    void ShowClipNeeds();
    // Before each play: the PC's sound, or the phone's (its voices and speaker, or its melody line).
    void BeforePlay();
    // Writes what the phone gets into localPath: the clip, its fitted copy, or its melody line as
    // iMelody; false when the user chose not to send, or nothing can be sent (the user was told).
    bool WriteForPhone(const std::string& localPath, bool melodyLine);
    // The clip's melody line as iMelody or RTTTL text (the phone's note limit applied, the user told
    // when it cut the line); nothing when the clip has no line (the user was told why).
    std::optional<std::string> MelodyLineTextOrSayWhy(bool rtttl, const std::string& name);
    // The transfer of the prepared clip: the page's destination check and the sending; true when
    // the phone has the clip, nothing when the user chose not to replace the phone's file.
    std::optional<bool> SendClip();
    // Writes the clip from the clip start to endMs; as PrepareClip.
    int WriteClipTo(std::int32_t endMs);
    void OnTrackSelected(wxCommandEvent& event);
    void MoveMarker(const MarkerEdges& edges);
    EditorRect MarkerRectInEditor() const;
    // Replaces the template's edit with a time field.
    CTimeEdit* TimeField(int id);

    CTimeEdit* m_pTrackLength = nullptr;
    CTimeEdit* m_pPlayerLength = nullptr;
    CTimeEdit* m_pClipLength = nullptr;
    CTimeEdit* m_pClipEnd = nullptr;
    CTimeEdit* m_pClipStart = nullptr;
    CClipMarker* m_pMarker = nullptr;
    CListCtrl* m_pTrackList = nullptr;
    std::string m_strFileName;
    CTimeEdit* m_pFileLength = nullptr;
    CPlayOnPcSubDlg m_Player;
    std::optional<MarkerDrag> m_Drag;
    ClipTimes m_DragFrom; // the clip when the drag began
    CNotesWnd* m_pNotes = nullptr;
    wxImageList* m_pImageList = nullptr;
    int m_nCurRow = 0;
    int m_nRulerWidth = kDefaultRulerWidth;
    bool m_bSaved = true;
    std::int32_t m_nLength = 0;
    std::int32_t m_nClipStart = 0;
    std::int32_t m_nClipEnd = 0;
    CMidiTrack* m_pCurTrack = nullptr;
    CMelodiesDlg* m_pParentPage = nullptr;
    std::unique_ptr<CMidiFile> m_pMidiFile;
    std::string m_strSavedPath;
    bool m_bMarking = false;        // the editor itself is changing the list's selection
    std::vector<SMidiNote> m_notes; // the notes of the shown combination (or all), for voices and suggestions
    std::string m_strPlayFile;      // the file the PC panel plays for the combination
    std::string m_strReason;        // why the last suggested clip was chosen
    SLimitsText m_limits;
    wxRadioButton* m_pSoundPc = nullptr;
    wxRadioButton* m_pSoundPhone = nullptr;
    wxButton* m_pSuggest = nullptr;
    wxStaticText* m_pLimits = nullptr;
};

} // namespace corvina
