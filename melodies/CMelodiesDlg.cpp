// The melodies page: destination choosers, Transmit enabling, and what the play-on-phone panel asks.
#include "CMelodiesDlg.h"

#include "CAtcHelperFunctions.h"
#include "CComError.h"
#include "IRingingtoneOwner.h"
#include "WindowOwner.h"
#include "CSXButton.h"
#include "IStream.h"
#include "PhoneProfile.h"
#include "PhoneType.h"
#include "RtFileList.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>

#include <cstdio>
#include <filesystem>

namespace corvina {

CMelodiesDlg::CMelodiesDlg() : CDialog(IDD), m_Resource(CResource::ForModule()) {}

CMelodiesDlg::~CMelodiesDlg()
{
    // A tone still playing on the phone is stopped, and tone and sound mode put back, while the
    // page is whole.
    if (CPlayOnMobileSubDlg::m_bIsPlaying && m_PlayOnMobileSubDlg.IsCreated())
        m_PlayOnMobileSubDlg.Stop();
}

bool CMelodiesDlg::FolderMode() const
{
    return GetRtParent() && GetRtParent()->GetRtByFilename();
}

bool CMelodiesDlg::OnInitDialog()
{
    if (!GetRtParent() && GetParent())
        SetRtParent(OwnerOf<IRingingtoneOwner>(this));
    if (auto* write = Item<CSXButton>(IDC_BUTTON_WRITE)) {
        write->SetIcon(4565, 16, 16);
        write->SetLabel(wxString::FromUTF8(m_Resource.GetString(511)));
        write->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnButtonWrite(); });
    }
    if (auto* check = Item<wxCheckBox>(IDC_CHECK_MULTICHANNEL))
        check->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
            PullFromControls();
            EnDisableWriteButton();
        });
    if (auto* combo = Item<wxComboBox>(IDC_COMBO_TONEFILE)) {
        // Every keystroke and every choice refreshes the play-on-phone buttons.
        auto refresh = [this](wxCommandEvent&) { PostMessage(this, WM_UPDATE_PLAY_ON_MOBILE, 0, 0); };
        combo->Bind(wxEVT_COMBOBOX, refresh);
        combo->Bind(wxEVT_TEXT, refresh);
    }
    AddMessageHandler(WM_UPDATE_PLAY_ON_MOBILE,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnUpdatePlayOnMobileFromSelection(w, l); });

    m_PlayOnMobileSubDlg.Create(this);
    PlaceAtTemplatePixels(m_PlayOnMobileSubDlg, 531, 304, 70, 76);
    m_PlayOnMobileSubDlg.Show();
    m_PlayOnMobileSubDlg.SetMelParent(this);

    m_ClipEditDlg.SetParentPage(this);
    m_ClipEditDlg.Create(this);
    PlaceAtTemplatePixels(m_ClipEditDlg, 11, 10, 674, 260);
    m_ClipEditDlg.Show();
    // The clip editor lies above the destination controls, so Tab reaches it first.
    if (wxWindow* first = GetDlgItem(IDC_BUTTON_WRITE))
        m_ClipEditDlg.MoveBeforeInTabOrder(first);

    UpdateControls();
    return true;
}

void CMelodiesDlg::OnShowWindow(bool show)
{
    if (show && GetRtParent())
        PostMessage(this, WM_UPDATE_PLAY_ON_MOBILE, 0, 0);
}

void CMelodiesDlg::PullFromControls()
{
    if (auto* combo = Item<wxComboBox>(IDC_COMBO_TONEFILE))
        m_strDestination = combo->GetValue().ToStdString(wxConvUTF8);
}

void CMelodiesDlg::PushToControls()
{
    if (auto* combo = Item<wxComboBox>(IDC_COMBO_TONEFILE);
        combo && combo->GetValue().ToStdString(wxConvUTF8) != m_strDestination)
        combo->ChangeValue(wxString::FromUTF8(m_strDestination));
}

void CMelodiesDlg::SetDestination(const std::string& name)
{
    m_strDestination = name;
    PushToControls();
}

void CMelodiesDlg::InitControls()
{
    if (!FolderMode()) {
        if (auto* slots = Item<wxChoice>(IDC_COMBO_USERDEF))
            slots->Clear();
    } else if (auto* files = Item<wxComboBox>(IDC_COMBO_TONEFILE)) {
        files->Clear();
    }
}

void CMelodiesDlg::InitComboUserdef()
{
    auto* slots = Item<wxChoice>(IDC_COMBO_USERDEF);
    if (!slots)
        return;
    slots->Clear();
    for (long n = 1; n <= NumberUserdefRt(); ++n) {
        char number[24];
        std::snprintf(number, sizeof number, "%02ld", n);
        slots->Append(wxString::FromUTF8(m_Resource.GetString(506) + " " + number));
    }
    if (slots->GetCount() > 0)
        slots->SetSelection(0);
    m_lOrigIndex = -1;
}

void CMelodiesDlg::UpdateControls()
{
    const bool connected = IsConnected() != 0;
    const bool valid = SelectedFileIsValid(GetCurFile()) != 0;
    const bool read = WasRead() != 0;
    if (!read)
        InitControls();
    const bool enabled = connected && read;
    if (wxWindow* group = GetDlgItem(IDC_GROUP))
        group->Enable(enabled);
    EnDisableWriteButton();
    wxWindow* slots = GetDlgItem(IDC_COMBO_USERDEF);
    wxWindow* files = GetDlgItem(IDC_COMBO_TONEFILE);
    if (slots && files) {
        const bool folder = FolderMode() || !GetRtParent();
        slots->Show(!folder);
        files->Show(folder);
        (folder ? files : slots)->Enable(enabled);
    }
    PostMessage(this, WM_UPDATE_PLAY_ON_MOBILE, 0, 0);
    if (m_ClipEditDlg.IsCreated())
        m_ClipEditDlg.UpdateFromPage(valid);
}

bool CMelodiesDlg::TransferAllowed() const
{
    bool allowed = IsConnected() && WasRead() && SelectedFileIsValid(GetCurFile());
    if (m_bAllChannelsSelected)
        allowed = allowed && m_bPhoneAcceptsMultiChannel;
    return allowed;
}

void CMelodiesDlg::EnDisableWriteButton()
{
    if (wxWindow* write = GetDlgItem(IDC_BUTTON_WRITE))
        write->Enable(TransferAllowed());
    // The reason Transmit is disabled changes with the file, the row and the phone.
    RefreshToolTip(IDC_BUTTON_WRITE);
}

int CMelodiesDlg::SelectedFileIsValid(const std::string& path) const
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error) ? 1 : 0;
}

void CMelodiesDlg::SetCurFile(const std::string& path)
{
    m_ClipEditDlg.SetFileName(path);
    UpdateComboFileCur();
}

std::string CMelodiesDlg::GetComboFileName()
{
    PullFromControls();
    return m_strDestination;
}

std::string CMelodiesDlg::GetNameFromPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == path.size())
        return {};
    return path.substr(slash + 1);
}

void CMelodiesDlg::UpdateComboFileCur()
{
    if (!FolderMode())
        return;
    const std::string name = GetNameFromPath(GetCurFile());
    if (!name.empty())
        m_strDestination = name;
    PushToControls();
    PostMessage(this, WM_UPDATE_PLAY_ON_MOBILE, 0, 0);
}

int CMelodiesDlg::FindPrefix(const wxArrayString& entries, const std::string& text)
{
    const wxString prefix = wxString::FromUTF8(text).Lower();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Lower().StartsWith(prefix))
            return static_cast<int>(i);
    return -1;
}

void CMelodiesDlg::UpdateComboFileContent(long index)
{
    auto* files = Item<wxComboBox>(IDC_COMBO_TONEFILE);
    if (!FolderMode() || !files || !GetRtParent())
        return;
    const std::vector<std::string>& names = *GetRtParent()->GetRtFileList();
    files->Clear();
    for (const std::string& name : names)
        files->Append(wxString::FromUTF8(name));
    // The destination is preset only to a file where the melody goes: the standard ringtone folder.
    if (index >= 0 && index < static_cast<long>(names.size()) && !names[index].empty() &&
        GetRtParent()->IsInRtStdFolder(index)) {
        const int found = FindPrefix(files->GetStrings(), names[index]);
        if (found >= 0) {
            files->SetSelection(found);
            m_strDestination = files->GetString(found).ToStdString(wxConvUTF8);
        }
        PostMessage(this, WM_UPDATE_PLAY_ON_MOBILE, 0, 0);
    }
}

void CMelodiesDlg::UpdateComboTone()
{
    if (!GetRtParent())
        return;
    if (FolderMode()) {
        m_lOrigIndex = RtArrayIndex();
        const std::vector<std::string>& names = *GetRtParent()->GetRtFileList();
        auto* files = Item<wxComboBox>(IDC_COMBO_TONEFILE);
        if (files && m_lOrigIndex >= 0 && m_lOrigIndex < static_cast<long>(names.size()) &&
            GetRtParent()->IsInRtStdFolder(m_lOrigIndex)) {
            const int found = FindPrefix(files->GetStrings(), names[m_lOrigIndex]);
            if (found >= 0) {
                files->SetSelection(found);
                m_strDestination = files->GetString(found).ToStdString(wxConvUTF8);
            }
            PostMessage(this, WM_UPDATE_PLAY_ON_MOBILE, 0, 0);
        }
    } else if (RtIndex() != -1) {
        m_lOrigIndex = RtIndex();
    }
}

void CMelodiesDlg::OnDropMidiFile(const std::string& path)
{
    m_ClipEditDlg.OpenFile(path);
    UpdateControls();
}

void CMelodiesDlg::SetAllChannelsSelected(bool all)
{
    m_bAllChannelsSelected = all;
    EnDisableWriteButton();
}

int CMelodiesDlg::GetAcceptsMultiChannelFromRegdb()
{
    return corvina::GetAcceptsMultiChannelFromRegdb(GetRtParent() ? GetRtParent()->GetPhoneType() : std::string(),
                                                    m_bPhoneAcceptsMultiChannel);
}

std::intptr_t CMelodiesDlg::OnUpdatePlayOnMobileFromSelection(std::uintptr_t, std::intptr_t)
{
    IRingingtoneOwner* owner = GetRtParent();
    if (!owner)
        return 0;
    PullFromControls();
    const std::string type = owner->GetPhoneType();
    bool playable = IsConnected() && WasRead();
    if (FolderMode())
        playable = playable && owner->GetIndexForName(m_strDestination) != -1 &&
                   owner->FilePlayable(m_strDestination) && !IsBirchFamily(type);
    m_PlayOnMobileSubDlg.EnableButtons(playable);
    return 0;
}

bool CMelodiesDlg::OnToolTip(int controlId, std::string& text)
{
    if (controlId == 0)
        return false;
    if (controlId != IDC_BUTTON_WRITE) {
        text = m_Resource.GetString(static_cast<unsigned>(controlId));
        return true;
    }
    if (!SelectedFileIsValid(GetCurFile()))
        return !text.empty();
    if (TransferAllowed())
        return false;
    text = m_Resource.GetString(533);
    if (m_bAllChannelsSelected && IsConnected() && WasRead() && !text.empty()) {
        text.pop_back();
        text += " " + m_Resource.GetString(534);
    }
    return true;
}

long CMelodiesDlg::GetCurIndex()
{
    if (!GetRtParent())
        return -1;
    if (!FolderMode()) {
        auto* slots = Item<wxChoice>(IDC_COMBO_USERDEF);
        const int selection = slots ? slots->GetSelection() : -1;
        return selection + FirstUsedIndexRt() + NumberFixRt();
    }
    return GetRtParent()->GetIndexForName(GetComboFileName());
}

long CMelodiesDlg::GetVolume() const
{
    return GetRtParent() ? GetRtParent()->GetVolume() : 1;
}

void CMelodiesDlg::UpdateSoundModeOrig()
{
    m_lSoundModeOrig = -1;
    if (IsConnected())
        m_lSoundModeOrig = m_Phone.ReadSoundMode().value_or(-1);
}

void CMelodiesDlg::SetSoundModeToOrig()
{
    if (m_lSoundModeOrig != -1 && IsConnected())
        m_Phone.WriteSoundMode(m_lSoundModeOrig);
}

HRESULT CMelodiesDlg::GetStreamSize(IStream* stream, std::uint64_t* size)
{
    if (!stream || !size)
        return E_POINTER;
    STATSTG stat{};
    if (SUCCEEDED(stream->Stat(&stat, 1 /* no name */))) {
        *size = stat.cbSize;
        return S_OK;
    }
    std::uint64_t current = 0, end = 0, ignored = 0;
    if (HRESULT hr = stream->Seek(0, STREAM_SEEK_CUR, &current); FAILED(hr))
        return hr;
    if (HRESULT hr = stream->Seek(0, STREAM_SEEK_END, &end); FAILED(hr))
        return hr;
    if (HRESULT hr = stream->Seek(static_cast<std::int64_t>(current), STREAM_SEEK_SET, &ignored); FAILED(hr))
        return hr;
    *size = end;
    return S_OK;
}

void CMelodiesDlg::OnButtonWrite()
{
    m_ClipEditDlg.WriteToPhone();
}

} // namespace corvina
