// The clip editor: it moves values between the MIDI file, the clip rules (ClipGeometry, ClipTexts)
// and its controls.
#include "CClipEditDlg.h"

#include "Accessibility.h"
#include "CClipMarker.h"
#include "CListCtrl.h"
#include "CMelodiesDlg.h"
#include "CMidiFile.h"
#include "CMidiSchedule.h"
#include "CMidiTrack.h"
#include "CNotesWnd.h"
#include "CSXButton.h"
#include "CTimeEdit.h"
#include "ClipTexts.h"
#include "DialogTemplate.h"
#include "ImageLoader.h"
#include "MelodyFileChoice.h"
#include "RunOffWindowThread.h"
#include "UiServices.h"
#include "TempFolder.h"
#include "TimeText.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/radiobut.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace corvina {
namespace {

// The preview copy the open dialog plays.
std::filesystem::path PreviewCopyPath()
{
    return ProcessTempFolder() / "rtplayinfileopen.mid";
}

// The clip rules work in pixels of the template font; a screen point in the dialog font's pixels
// is taken to that scale from the editor's top left corner.
void ShowMessage(unsigned id)
{
    Ui().MessageBox(CSharedStrings::Get().GetString(id), "", MB_OK);
}

} // namespace

CClipEditDlg::CClipEditDlg() : CDialog(IDD) {}

CClipEditDlg::~CClipEditDlg()
{
    delete m_pImageList;
    if (m_pMidiFile) {
        std::error_code error;
        const auto preview = PreviewCopyPath();
        if (std::filesystem::exists(preview, error) && !std::filesystem::remove(preview, error)) {
            ::chmod(preview.c_str(), 0644);
            std::filesystem::remove(preview, error);
        }
    }
    m_pMidiFile.reset();
}

CTimeEdit* CClipEditDlg::TimeField(int id)
{
    auto* field = Item<wxTextCtrl>(id);
    CTimeEdit* replaced = field ? CTimeEdit::ReplaceTextCtrl(field) : nullptr;
    ReplaceDlgItem(id, replaced);
    return replaced;
}

bool CClipEditDlg::OnInitDialog()
{
    const CResource& strings = CSharedStrings::Get();
    if (auto* open = Item<CSXButton>(IDC_OPEN)) {
        open->SetIcon(4520, 16, 16);
        open->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOpen(); });
    }
    if (auto* save = Item<CSXButton>(IDC_SAVE_AS)) {
        save->SetIcon(4521, 16, 16);
        save->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSaveAs(); });
    }

    // Time fields replace the template's plain edits. Clip start and end take typed times.
    m_pTrackLength = TimeField(IDC_TRACK_LENGTH);
    m_pPlayerLength = TimeField(IDC_PLAYER_LENGTH);
    m_pClipLength = TimeField(IDC_CLIP_LENGTH);
    m_pClipEnd = TimeField(IDC_CLIP_END);
    m_pClipStart = TimeField(IDC_CLIP_START);
    m_pFileLength = TimeField(IDC_FILE_LENGTH);
    for (CTimeEdit* typed : {m_pClipStart, m_pClipEnd})
        if (typed)
            typed->SetEditable(true);

    if (m_pFileLength)
        m_pFileLength->SetDigits(2);
    if (wxWindow* label = GetDlgItem(4605))
        label->SetLabel(wxString::FromUTF8(strings.GetString(535)));

    m_pTrackList = Item<CListCtrl>(IDC_TRACK_LIST);
    if (m_pTrackList) {
        const int width = m_pTrackList->GetSize().GetWidth();
        m_pTrackList->InsertColumn(0, wxString::FromUTF8(TrackColumnTitle(strings)), wxLIST_FORMAT_CENTRE,
                                   width * 55 / 100 - 10);
        m_pTrackList->InsertColumn(1, wxString::FromUTF8(ChannelColumnTitle(strings)), wxLIST_FORMAT_CENTRE,
                                   width * 45 / 100 - 10);
        m_pImageList = new wxImageList(12, 12, true, 4);
        m_pImageList->Add(LoadImageBitmap(4530, 12, 12));
        m_pImageList->Add(LoadImageBitmap(4529, 12, 12));
        m_pTrackList->SetImageList(m_pImageList, wxIMAGE_LIST_SMALL);
        m_pTrackList->Bind(EVT_LIST_ROW_SELECTED, &CClipEditDlg::OnTrackSelected, this);
    }

    m_Player.Create(this);
    m_Player.Show();
    m_Player.SetPlayWhole(false);

    m_nRulerWidth = kDefaultRulerWidth;
    if (auto* ruler = Item<wxStaticBitmap>(IDC_RULER)) {
        // In a mirrored layout time runs from the right, as the marker and the notes show it: the
        // ruler's scale is turned round with them (the toolkit mirrors places, not pictures).
        if (GetLayoutDirection() == wxLayout_RightToLeft && ruler->GetBitmap().IsOk())
            ruler->SetBitmap(wxBitmap(ruler->GetBitmap().ConvertToImage().Mirror(true)));
    }
    for (CTimeEdit* field : {m_pClipStart, m_pClipEnd, m_pClipLength})
        if (field) {
            field->SetDigits(2);
            field->SetTime(0);
        }
    if (wxWindow* label = GetDlgItem(4606))
        label->SetLabel(wxString::FromUTF8(strings.GetString(536)));
    if (m_pTrackLength)
        m_pTrackLength->SetDigits(2);
    // Screen readers name the time fields as their tooltips and labels do.
    SetAccessibleName(m_pClipStart, strings.GetString(IDC_CLIP_START));
    SetAccessibleName(m_pClipEnd, strings.GetString(IDC_CLIP_END));
    SetAccessibleName(m_pClipLength, strings.GetString(IDC_CLIP_LENGTH));
    SetAccessibleName(m_pTrackLength, NameFromLabel(strings.GetString(536)));
    SetAccessibleName(m_pFileLength, NameFromLabel(strings.GetString(535)));
    if (m_pPlayerLength) {
        m_pPlayerLength->SetDigits(2);
        m_pPlayerLength->Disable();
    }

    if (auto* picture = Item<wxStaticBitmap>(IDC_MARKER)) {
        // The marker is a window of its own that takes the mouse; created last, it lies above the
        // ruler it covers.
        const wxRect place = picture->GetRect();
        const bool shown = picture->IsShown();
        picture->Destroy();
        m_pMarker = new CClipMarker(this, IDC_MARKER, place.GetPosition(), place.GetSize(), LoadImageBitmap(4532));
        m_pMarker->Show(shown);
        ReplaceDlgItem(IDC_MARKER, m_pMarker);
        // The pointer is taken in the editor's own layout pixels, not on the screen: in a mirrored
        // (right-to-left) layout those are what the marker is placed in, and the screen's are not.
        m_pMarker->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) {
            const wxPoint at = m_pMarker->GetPosition() + event.GetPosition();
            OnMarkerButtonDown(Units().TemplatePixelX(at.x), Units().TemplatePixelY(at.y));
        });
        m_pMarker->Bind(wxEVT_MOTION, [this](wxMouseEvent& event) {
            if (event.LeftIsDown())
                OnMarkerMouseMove(Units().TemplatePixelX(m_pMarker->GetPosition().x + event.GetX()));
            event.Skip();
        });
        // The marker holds the mouse while dragged, so the release reaches it wherever it happens.
        m_pMarker->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) { OnMarkerButtonUp(); });
        m_pMarker->Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { OnMarkerCaptureLost(); });
    }
    const PixelRect notes = Units().Pixels(209, 215, 211 + m_nRulerWidth - 209, 10);
    m_pNotes = new CNotesWnd(this, CNotesWnd::kControlId, wxPoint(notes.x, notes.y), wxSize(notes.width, notes.height));

    AddMessageHandler(WM_TIME_ENTERED, [this](std::uintptr_t wParam, std::intptr_t) {
        auto* sender = reinterpret_cast<CTimeEdit*>(wParam);
        if (sender && (sender == m_pClipStart || sender == m_pClipEnd))
            UpdateClipFromEdits();
        return std::intptr_t{0};
    });

    CreatePhoneControls();
    // The rows line up with the ruler and the note view by the pixel.
    for (const PixelPlace& place : FindPixelPlaces(IDD)) {
        if (place.id == CPlayOnPcSubDlg::IDD)
            PlaceAtTemplatePixels(m_Player, place.x, place.y, place.cx, place.cy);
        else
            PlaceAtTemplatePixels(GetDlgItem(place.id), place.x, place.y, place.cx, place.cy);
    }
    // Tab follows the reading order: the file row, the track list with its player and its sound, the
    // suggestion, then the clip.
    wxWindow* order[] = {
        GetDlgItem(IDC_OPEN), GetDlgItem(IDC_SAVE_AS), GetDlgItem(IDC_FILE), m_pFileLength,  m_pTrackList, &m_Player,
        m_pSoundPc,           m_pSoundPhone,           m_pSuggest,           m_pTrackLength, m_pClipStart, m_pClipEnd,
        m_pClipLength};
    wxWindow* previous = nullptr;
    for (wxWindow* window : order) {
        if (!window)
            continue;
        if (previous)
            window->MoveAfterInTabOrder(previous);
        previous = window;
    }

    UpdateClipFromEdits();
    m_bSaved = true;
    return true;
}

bool CClipEditDlg::OnToolTip(int controlId, std::string& text)
{
    if (controlId == 0)
        return false;
    if (controlId == IDC_FILE)
        text = m_strFileName;
    else if (controlId == IDC_LIMITS)
        text = m_limits.spoken;
    else if (controlId == IDC_SUGGEST && !m_strReason.empty())
        text = m_strReason;
    else
        text = CSharedStrings::Get().GetString(static_cast<unsigned>(controlId));
    return !text.empty();
}

void CClipEditDlg::SetFileName(const std::string& path)
{
    m_strFileName = path;
    if (auto* file = Item<wxTextCtrl>(IDC_FILE)) {
        file->ChangeValue(wxString::FromUTF8(path));
        // A long path shows its end, where the file's name is.
        file->SetInsertionPointEnd();
    }
    if (m_pParentPage)
        m_pParentPage->UpdateComboFileCur();
}

void CClipEditDlg::UpdateFromPage(bool validFile)
{
    // Play and Stop tell the truth about the player: a clip that still plays keeps Stop; without a
    // file nothing may go on playing.
    if (validFile) {
        m_Player.SetPlayState(m_Player.Status(MCI_STATUS_MODE) == MCI_MODE_PLAY);
    } else {
        m_Player.Stop();
        m_Player.EnableButtons(false);
    }
    if (m_pTrackList)
        m_pTrackList->Enable(validFile);
    if (m_pMarker) {
        // The template hides the marker until there is a file to clip.
        if (!validFile)
            OnMarkerCaptureLost();
        m_pMarker->Show(validFile);
    }
    if (wxWindow* save = GetDlgItem(IDC_SAVE_AS))
        save->Enable(validFile);
    if (m_pSuggest)
        m_pSuggest->Enable(validFile);
    // Another phone may have other limits.
    ShowClipNeeds();
}

void CClipEditDlg::OnOpen()
{
    const CResource& strings = CSharedStrings::Get();
    const InitialFolder folder = GetInitialFolder(m_pMidiFile != nullptr, m_strSavedPath, m_strFileName, true);
    const std::string path = ChooseMelodyFile(this, FilterToWildcard(BuildFilter(strings)), folder.text);
    if (!path.empty()) {
        Update();
        OpenFile(path);
    }
    if (m_pParentPage)
        m_pParentPage->UpdateControls();
}

bool CClipEditDlg::OpenFile(const std::string& path)
{
    CWaitCursor wait;
    unsigned message = 4024;
    if (m_pParentPage && m_pParentPage->SelectedFileIsValid(path)) {
        // Reading a large file and writing its per-channel files take a while: a worker does it while
        // this window goes on painting. Nothing here is touched until the worker is done.
        std::unique_ptr<CMidiFile> file;
        message = RunOffWindowThread([&]() -> unsigned {
            // The player must be able to play the file: the same parse the player opens it with.
            CMidiSchedule probe;
            if (!probe.Load(path))
                return 4021;
            file = std::make_unique<CMidiFile>();
            const int result = file->Load(path);
            const unsigned outcome = result != 0 ? static_cast<unsigned>(result) : file->WriteChannelFiles() ? 0 : 537;
            // A failed file is cleared here too: deleting its files may wait for a retry.
            if (outcome != 0)
                file.reset();
            return outcome;
        });
        if (message == 0) {
            m_Player.Stop();
            // Nothing may point into the old file's tracks once it is gone.
            m_pCurTrack = nullptr;
            m_pMidiFile = std::move(file);
            FillTrackList();
            SetFileName(path);
            if (m_pFileLength)
                m_pFileLength->SetTime(m_pMidiFile->GetLengthMs());
            return true;
        }
    }
    Ui().MessageBox(CSharedStrings::Get().GetString(message), "", MB_OK);
    return false;
}

void CClipEditDlg::FillTrackList()
{
    if (!m_pTrackList || !m_pMidiFile)
        return;
    const CResource& strings = CSharedStrings::Get();
    m_bMarking = true;
    m_pTrackList->DeleteAllItems();
    const int count = m_pMidiFile->GetCombinationCount();
    for (int i = 0; i < count; ++i) {
        int track = -1, channel = -1;
        m_pMidiFile->GetCombination(i, track, channel);
        const long row = m_pTrackList->InsertItem(i, wxString::FromUTF8(TrackRowText(track)), 0);
        m_pTrackList->SetItem(row, 1, wxString::FromUTF8(ChannelRowText(channel)));
    }
    if (count > 1) {
        const long row = m_pTrackList->InsertItem(count, wxString::FromUTF8(AllRowTrackText(strings)), 0);
        m_pTrackList->SetItem(row, 1, wxString::FromUTF8(AllRowChannelText(strings)));
    }
    if (m_pTrackList->GetItemCount() > 0)
        m_pTrackList->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    m_bMarking = false;
    if (m_pParentPage)
        m_pParentPage->SetAllChannelsSelected(false);
    m_nCurRow = 0;
    m_pCurTrack = m_pMidiFile->GetCombinationTrack(0);
    MarkCurrentRow();
    m_nClipEnd = 0;
    ShowCombination();
}

void CClipEditDlg::OnTrackSelected(wxCommandEvent& event)
{
    if (m_bMarking)
        return;
    const long row = event.GetInt();
    if (row < 0 || !m_pTrackList || row >= m_pTrackList->GetItemCount())
        return;
    SelectCombination(static_cast<int>(row));
    m_Player.OnButtonStop();
}

void CClipEditDlg::SelectCombination(int row)
{
    CWaitCursor wait;
    m_nCurRow = row;
    if (m_strFileName.empty() || !m_pMidiFile)
        return;
    m_pCurTrack = m_pMidiFile->GetCombinationTrack(row);
    MarkCurrentRow();
    ShowCombination();
}

void CClipEditDlg::MarkCurrentRow()
{
    if (!m_pTrackList || m_nCurRow == -1)
        return;
    m_bMarking = true;
    for (long i = 0; i < m_pTrackList->GetItemCount(); ++i) {
        const bool current = i == m_nCurRow;
        m_pTrackList->SetItemState(i, current ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
        m_pTrackList->SetItemImage(i, current ? 1 : 0);
    }
    m_bMarking = false;
    m_pTrackList->Refresh();
    m_pTrackList->Update();
}

bool CClipEditDlg::IsAllRow() const
{
    return !m_strFileName.empty() && m_pMidiFile && m_nCurRow == m_pMidiFile->GetCombinationCount();
}

void CClipEditDlg::ShowCombination()
{
    if (!m_pMidiFile)
        return;
    const bool all = IsAllRow();
    std::string toPlay;
    std::int32_t newLength = 0;
    const std::vector<std::uint32_t>* notes = nullptr;
    if (all) {
        toPlay = m_pParentPage ? m_pParentPage->GetCurFile() : m_strFileName;
        if (toPlay.empty())
            toPlay = m_strFileName;
        newLength = m_pMidiFile->GetLengthMs();
        notes = &m_pMidiFile->GetAllNoteOnTimes();
    } else {
        int track = -1, channel = -1;
        m_pMidiFile->GetCombination(m_nCurRow, track, channel);
        toPlay = m_pMidiFile->GetChannelFileName(m_nCurRow);
        newLength = m_pCurTrack ? m_pCurTrack->GetLengthMs() : 0;
        notes = m_pCurTrack ? m_pCurTrack->GetNoteOnTimes(channel) : nullptr;
    }
    if (m_pParentPage)
        m_pParentPage->SetAllChannelsSelected(all);
    m_Player.SetFile(toPlay);
    m_strPlayFile = toPlay;
    {
        int track = -1, channel = -1;
        if (!all)
            m_pMidiFile->GetCombination(m_nCurRow, track, channel);
        m_notes = CollectNotes(*m_pMidiFile, track, channel);
    }

    ClipState state{m_nLength, {m_nClipStart, m_nClipEnd}};
    ApplyNewLength(state, newLength);
    m_nLength = state.length;
    m_nClipStart = state.clip.start;
    m_nClipEnd = state.clip.end;

    if (m_pClipStart)
        m_pClipStart->SetTime(m_nClipStart);
    if (m_pClipEnd)
        m_pClipEnd->SetTime(m_nClipEnd);
    if (m_pClipLength)
        m_pClipLength->SetTime(m_nClipEnd - m_nClipStart);
    if (m_pPlayerLength)
        m_pPlayerLength->SetTime(m_Player.GetLength());
    if (m_pTrackLength)
        m_pTrackLength->SetTime(m_nLength);
    if (m_pNotes) {
        m_pNotes->SetNotes(notes, static_cast<std::uint32_t>(m_nLength) * 1000u);
        m_pNotes->Refresh(true);
    }
    UpdateClipFromEdits();
}

void CClipEditDlg::UpdateClipFromEdits()
{
    if (m_nLength == 0)
        return;
    if (m_pClipStart)
        m_nClipStart = m_pClipStart->GetTime();
    if (m_pClipEnd)
        m_nClipEnd = m_pClipEnd->GetTime();
    if (m_pClipLength)
        m_pClipLength->SetTime(m_nClipEnd - m_nClipStart);
    if (const auto edges = MarkerFromClip({m_nClipStart, m_nClipEnd}, m_nLength, m_nRulerWidth))
        MoveMarker(*edges);
    m_Player.SetFromEdit(m_nClipStart);
    m_Player.SetToEdit(m_nClipEnd);
    m_bSaved = false;
    ShowClipNeeds();
}

void CClipEditDlg::MoveMarker(const MarkerEdges& edges)
{
    if (!m_pMarker)
        return;
    const PixelRect r = Units().Pixels(edges.left, kMarkerTop, edges.right - edges.left, kMarkerHeight);
    m_pMarker->SetSize(r.x, r.y, r.width, r.height);
    m_pMarker->Refresh();
}

MarkerEdges CClipEditDlg::GetMarkerEdges() const
{
    if (!m_pMarker)
        return {};
    const wxRect r = m_pMarker->GetRect();
    return {Units().TemplatePixelX(r.GetLeft()), Units().TemplatePixelX(r.GetLeft() + r.GetWidth())};
}

EditorRect CClipEditDlg::MarkerRectInEditor() const
{
    const wxRect r = m_pMarker->GetRect();
    return {Units().TemplatePixelX(r.GetLeft()), Units().TemplatePixelY(r.GetTop()),
            Units().TemplatePixelX(r.GetLeft() + r.GetWidth()), Units().TemplatePixelY(r.GetTop() + r.GetHeight())};
}

void CClipEditDlg::UpdateClipFromMarker(DragMode mode, bool done)
{
    if (!m_pMarker || m_nLength == 0)
        return;
    const EditorRect marker = MarkerRectInEditor();
    const ClipTimes clip =
        ClipAfterDrag(m_DragFrom, mode, ClipFromMarker(marker.left, marker.right, 0, m_nLength, m_nRulerWidth),
                      m_nLength, m_pClipStart ? m_pClipStart->GetDigits() : 2);
    m_nClipStart = clip.start;
    m_nClipEnd = clip.end;
    m_Player.SetFromEdit(m_nClipStart);
    m_Player.SetToEdit(m_nClipEnd);
    if (m_pClipStart)
        m_pClipStart->SetTime(m_nClipStart);
    if (m_pClipEnd)
        m_pClipEnd->SetTime(m_nClipEnd);
    if (m_pClipLength)
        m_pClipLength->SetTime(m_nClipEnd - m_nClipStart);
    // Let go, the marker shows the clip as it now is, and what the clip needs is measured.
    if (done) {
        if (const auto edges = MarkerFromClip(clip, m_nLength, m_nRulerWidth))
            MoveMarker(*edges);
        ShowClipNeeds();
    }
    m_bSaved = false;
}

void CClipEditDlg::OnMarkerButtonDown(int x, int y)
{
    if (!m_pMarker)
        return;
    m_Drag = BeginMarkerDrag(x, y, MarkerRectInEditor(), 0);
    if (!m_Drag)
        return;
    m_DragFrom = {m_nClipStart, m_nClipEnd};
    m_pMarker->SetCursor(LoadImageCursor(DragCursor(m_Drag->mode)));
    if (!m_pMarker->HasCapture())
        m_pMarker->CaptureMouse();
}

void CClipEditDlg::OnMarkerMouseMove(int x)
{
    if (!m_Drag || !m_pMarker)
        return;
    if (const auto edges = DragMarker(*m_Drag, x, MarkerRectInEditor(), 0, m_nRulerWidth)) {
        MoveMarker(*edges);
        UpdateClipFromMarker(m_Drag->mode, false);
    }
}

void CClipEditDlg::OnMarkerButtonUp()
{
    if (!m_Drag)
        return;
    const DragMode mode = m_Drag->mode;
    if (m_pMarker && m_pMarker->HasCapture())
        m_pMarker->ReleaseMouse();
    m_Drag.reset();
    if (m_pMarker)
        m_pMarker->SetCursor(wxNullCursor);
    UpdateClipFromMarker(mode, true);
}

void CClipEditDlg::OnMarkerCaptureLost()
{
    // Another window took the mouse (or the marker went away): the drag ends where it is.
    const std::optional<MarkerDrag> drag = std::exchange(m_Drag, std::nullopt);
    if (!m_pMarker)
        return;
    if (m_pMarker->HasCapture())
        m_pMarker->ReleaseMouse();
    m_pMarker->SetCursor(wxNullCursor);
    if (drag)
        UpdateClipFromMarker(drag->mode, true);
}

int CClipEditDlg::PrepareClip()
{
    return WriteClipTo(m_nClipEnd);
}

int CClipEditDlg::WriteClipTo(std::int32_t endMs)
{
    if (!m_pMidiFile)
        return 0;
    const std::uint32_t start = static_cast<std::uint32_t>(std::max(0, m_nClipStart)) * 1000u;
    const std::uint32_t end = static_cast<std::uint32_t>(std::max(0, endMs)) * 1000u;
    if (IsAllRow())
        return m_pMidiFile->WriteClip(start, end);
    int track = -1, channel = -1;
    m_pMidiFile->GetCombination(m_nCurRow, track, channel);
    if (channel != -1 && m_pCurTrack)
        return m_pCurTrack->WriteTrackClip(channel, start, end);
    return 0;
}

bool CClipEditDlg::PrepareClipOrSayWhy()
{
    const int notes = PrepareClip();
    if (notes > 0)
        return true;
    if (notes == 0) {
        ShowMessage(4590);
        return false;
    }
    // The writer refuses a clip nearly as large as a track it has to expand: find how far it goes.
    CWaitCursor wait;
    const std::int32_t longest =
        LongestWritableClipEnd(m_nClipStart, m_nClipEnd, [this](std::int32_t end) { return WriteClipTo(end); });
    std::string text = CSharedStrings::Get().GetString(4703);
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, FormatTime(longest - m_nClipStart, 2).value_or(""));
    Ui().MessageBox(text, "", MB_OK);
    return false;
}

void CClipEditDlg::OnSaveAs()
{
    if (!PrepareClipOrSayWhy())
        return;
    const CResource& strings = CSharedStrings::Get();
    const InitialFolder initial = GetInitialFolder(m_pMidiFile != nullptr, m_strSavedPath, m_strFileName, false);
    const std::string start = initial.fromRegistry ? std::string() : initial.text;
    std::string path = ChooseSavePath(this, FilterToWildcard(BuildSaveFilter(strings)), start);
    if (path.empty())
        return;
    // The clip as it is, or its melody line for phones without MIDI.
    const eSavedFormat format = SavedFormatOf(path, 0);
    bool written = false;
    if (format == eSavedFormat::Midi) {
        written = m_pMidiFile->SaveClipAs(path);
    } else {
        const std::optional<std::string> text =
            MelodyLineTextOrSayWhy(format == eSavedFormat::RTTTL, std::filesystem::path(path).stem().string());
        if (!text)
            return;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        written = out.write(text->data(), static_cast<std::streamsize>(text->size())) && out.flush();
    }
    if (written) {
        m_bSaved = true;
        m_strSavedPath = path;
    } else {
        ShowMessage(524);
    }
}

} // namespace corvina
