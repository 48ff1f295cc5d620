// The clip editor's play panel: the buttons follow the player, and the end of a play comes back
// from the player's worker thread as a queued message.
#include "CPlayOnPcSubDlg.h"

#include "CSXButton.h"
#include "FocusKeeper.h"
#include "MciNotify.h"
#include "PlayerOutput.h"
#include "UiServices.h"

#include <wx/textctrl.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace corvina {

namespace {

constexpr int kIconPlay = 4505;
constexpr int kIconStop = 4506;
constexpr int kIconSize = 16;

// Decimal text as the edits hold it: leading blanks and a sign allowed, reading stops at the first
// other character; text without digits gives 0, and out-of-range numbers are clamped.
int DecimalText(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Status values are shown as the signed numbers the box always showed.
std::string AppendStatus(const char* format, const std::string& text, std::uint32_t value)
{
    char line[320];
    std::snprintf(line, sizeof line, format, text.c_str(), static_cast<int>(value));
    return line;
}

} // namespace

CPlayOnPcSubDlg::CPlayOnPcSubDlg() : CDialog(IDD), m_Resource(CResource::ForModule()) {}

CPlayOnPcSubDlg::~CPlayOnPcSubDlg()
{
    // Joins the worker while the window is still whole, so a last notice finds a live target.
    m_Player.Close();
}

bool CPlayOnPcSubDlg::OnInitDialog()
{
    if (auto* play = Item<CSXButton>(IDC_BUTTON_PLAY)) {
        play->SetIcon(kIconPlay, kIconSize, kIconSize);
        play->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnButtonPlay(); });
    }
    if (auto* stop = Item<CSXButton>(IDC_BUTTON_STOP)) {
        stop->SetIcon(kIconStop, kIconSize, kIconSize);
        stop->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnButtonStop(); });
    }
    if (auto* info = Item<wxButton>(IDC_BUTTON_INFO))
        info->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnButtonInfo(); });
    for (int id : {IDC_EDIT_FROM, IDC_EDIT_TO})
        if (auto* edit = Item<wxTextCtrl>(id))
            edit->ChangeValue("");
    AddMessageHandler(MM_MCINOTIFY,
                      [this](std::uintptr_t wParam, std::intptr_t lParam) { return OnMciNotify(wParam, lParam); });
    SetPlayState(false);
    return true;
}

bool CPlayOnPcSubDlg::Play()
{
    // Each play tells its own number; the panel is a window, so queuing to it is safe from the worker.
    const std::intptr_t serial = ++m_nPlaySerial;
    m_Player.SetNotify([this, serial] { PostMessage(this, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, serial); });
    return m_Player.Play();
}

void CPlayOnPcSubDlg::OnButtonPlay()
{
    if (m_beforePlay)
        m_beforePlay();
    m_Player.SetFrom(ReadEdit(IDC_EDIT_FROM));
    m_Player.SetTo(ReadEdit(IDC_EDIT_TO));
    SetPlayState(true);
    if (!Play()) {
        m_Player.Stop();
        SetPlayState(false);
        // No sound on this PC is said once, with what to do; an empty range plays nothing quietly.
        if (const std::string why = PlayFailureText(m_Player, m_Resource); !why.empty())
            Ui().MessageBox(why, "", MB_OK | MB_ICONEXCLAMATION);
    }
}

void CPlayOnPcSubDlg::OnButtonStop()
{
    m_Player.Stop();
    SetPlayState(false);
}

std::intptr_t CPlayOnPcSubDlg::OnMciNotify(std::uintptr_t /*wParam*/, std::intptr_t lParam)
{
    // A notice from a play that a newer one has replaced must not stop the newer one.
    if (lParam == m_nPlaySerial)
        OnButtonStop();
    return 0;
}

std::string CPlayOnPcSubDlg::InfoText() const
{
    char first[96];
    std::snprintf(first, sizeof first, "%d current track number. MCI uses continuous track numbers.\n",
                  static_cast<int>(m_Player.Status(MCI_STATUS_CURRENT_TRACK)));
    std::string text = AppendStatus("%s %d total media length.\n", first, m_Player.Status(MCI_STATUS_LENGTH));
    text = AppendStatus("%s %d total number of playable tracks.\n", text, m_Player.Status(MCI_STATUS_NUMBER_OF_TRACKS));
    return AppendStatus("%s %d current position.\n", text, m_Player.Status(MCI_STATUS_POSITION));
}

void CPlayOnPcSubDlg::OnButtonInfo()
{
    Ui().MessageBox(InfoText(), "", MB_OK);
}

void CPlayOnPcSubDlg::OnShowWindow(bool show)
{
    if (show)
        return;
    m_Player.Stop();
    if (IsControlEnabled(IDC_BUTTON_STOP))
        SetPlayState(false);
}

bool CPlayOnPcSubDlg::OnToolTip(int controlId, std::string& text)
{
    if (controlId <= 0)
        return false;
    text = m_Resource.GetString(static_cast<unsigned>(controlId));
    return !text.empty();
}

void CPlayOnPcSubDlg::SetFromEdit(int value)
{
    SetEdit(IDC_EDIT_FROM, value);
}

void CPlayOnPcSubDlg::SetToEdit(int value)
{
    SetEdit(IDC_EDIT_TO, value);
}

void CPlayOnPcSubDlg::EnableButtons(bool enable)
{
    EnableControl(IDC_BUTTON_PLAY, enable);
    EnableControl(IDC_BUTTON_STOP, enable);
}

void CPlayOnPcSubDlg::SetPlayState(bool playing)
{
    // The button that becomes usable is enabled first, so the focus can move over to it.
    wxWindow* play = GetDlgItem(IDC_BUTTON_PLAY);
    wxWindow* stop = GetDlgItem(IDC_BUTTON_STOP);
    EnableKeepingFocus(playing ? stop : play, true);
    EnableKeepingFocus(playing ? play : stop, false, playing ? stop : play);
}

int CPlayOnPcSubDlg::ReadEdit(int id) const
{
    const auto* edit = Item<wxTextCtrl>(id);
    return edit ? DecimalText(edit->GetValue().ToStdString()) : 0;
}

void CPlayOnPcSubDlg::SetEdit(int id, int value)
{
    auto* edit = Item<wxTextCtrl>(id);
    if (!edit)
        return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    edit->ChangeValue(text);
    edit->Update();
}

void CPlayOnPcSubDlg::EnableControl(int id, bool enable)
{
    if (wxWindow* control = GetDlgItem(id))
        control->Enable(enable);
}

bool CPlayOnPcSubDlg::IsControlEnabled(int id) const
{
    const wxWindow* control = GetDlgItem(id);
    return control && control->IsThisEnabled();
}

} // namespace corvina
