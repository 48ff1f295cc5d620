// The clip editor of the Melodies page: open a MIDI file, pick a track/channel combination or the
// whole file, see its notes over a ruler, set the clip by dragging its marker or typing its times,
// hear it on the PC and save it.
#pragma once

#include "CDialog.h"
#include "CPlayOnPcSubDlg.h"
#include "ClipGeometry.h"

#include <memory>
#include <optional>
#include <string>

class wxImageList;

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
    ClipTimes m_DragFrom;  // the clip when the drag began
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
    bool m_bMarking = false;  // the editor itself is changing the list's selection
};

} // namespace corvina
