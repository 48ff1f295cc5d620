// Sending the clip to the phone: the overwrite question, the progress window, and the two ways a
// phone takes a melody (a file in its ringtone folder, or a user-defined slot).
#include "CClipEditDlg.h"
#include "CMelodiesDlg.h"

#include "CAtcHelperFunctions.h"
#include "CComError.h"
#include "CMidiFile.h"
#include "CProgressStreamImpl.h"
#include "IRingingtoneOwner.h"
#include "CServiceFactory.h"
#include "IMBXVolume.h"
#include "IProgressDlg.h"
#include "PhoneProfile.h"
#include "ServiceClassIds.h"
#include "UiServices.h"

#include <wx/choice.h>
#include <wx/combobox.h>

namespace corvina {
namespace {

void ShowMessage(unsigned id)
{
    Ui().MessageBox(CSharedStrings::Get().GetString(id), "", MB_OK);
}

std::shared_ptr<IProgressDlg> CreateProgressWindow()
{
    std::shared_ptr<IProgressDlg> progress;
    CComError::ThrowIfFailed(CServiceFactory::Instance().CreateInstance(CLSID_ProgressDlg, progress));
    return progress;
}

std::string FormatTransmitLine(const std::string& localPath)
{
    std::string line = CSharedStrings::Get().GetString(4599);
    const auto at = line.find("%s");
    if (at != std::string::npos)
        line.replace(at, 2, localPath);
    return line;
}

} // namespace

void CClipEditDlg::WriteToPhone()
{
    if (!m_pParentPage)
        return;
    if (!PrepareClipOrSayWhy())
        return;
    IRingingtoneOwner* owner = m_pParentPage->GetRtParent();
    if (owner)
        owner->BeginTransfer();
    // Nothing is said when the user chose not to replace the phone's file.
    if (const std::optional<bool> done = SendClip()) {
        ShowMessage(*done ? 525 : 526);
        m_bSaved = m_bSaved || *done;
    }
    if (owner)
        owner->EndTransfer();
}

std::optional<bool> CClipEditDlg::SendClip()
{
    try {
        // What the phone gets is settled first (a phone over its limits is asked about it), so that
        // nothing on the phone is replaced for a transfer the user then calls off.
        const bool melody = m_pParentPage->DestinationIsMelodyLine();
        const std::string localPath = m_pMidiFile->GetTempPrefix() + (melody ? "rtclip.imy" : "rtclip.mid");
        if (!WriteForPhone(localPath, melody))
            return std::nullopt;
        if (!m_pParentPage->WriteDestinationOk())
            return std::nullopt;
        return m_pParentPage->WriteFileToMobile(localPath);
    } catch (const ComError& error) {
        CComError::TraceComError(error, "CClipEditDlg::WriteToPhone");
        // The window of the failed transfer is gone with its object; a new one is told to close.
        try {
            if (auto progress = CreateProgressWindow())
                progress->Close();
        } catch (const ComError&) {
        }
        return false;
    }
}

namespace {

bool IsMelodyName(const std::string& name)
{
    return name.size() > 4 &&
           (name.compare(name.size() - 4, 4, ".imy") == 0 || name.compare(name.size() - 4, 4, ".IMY") == 0);
}

} // namespace

bool CMelodiesDlg::DestinationIsMelodyLine()
{
    IRingingtoneOwner* owner = GetRtParent();
    if (!owner)
        return false;
    SoundProfile sound;
    GetSoundProfileFromRegdb(owner->GetPhoneType(), sound);
    if (!sound.bTakesMidi)
        return true;
    PullFromControls();
    return FolderMode() && !owner->GetImyStdFolder().empty() && IsMelodyName(m_strDestination);
}

std::string CMelodiesDlg::DestinationFolder() const
{
    const IRingingtoneOwner* owner = GetRtParent();
    if (!owner)
        return {};
    return IsMelodyName(m_strDestination) && !owner->GetImyStdFolder().empty() ? owner->GetImyStdFolder()
                                                                               : owner->GetRtStdFolder();
}

bool CMelodiesDlg::WriteDestinationOk()
{
    CWaitCursor wait;
    bool result = true;
    IRingingtoneOwner* owner = GetRtParent();
    if (!owner || !FolderMode())
        return result;
    PullFromControls();
    if (m_strDestination.empty()) {
        UpdateComboFileCur();
        m_strDestination = GetNameFromPath(GetCurFile());
        PushToControls();
        PostMessage(this, WM_UPDATE_PLAY_ON_MOBILE, 0, 0);
    }
    int index = -1;
    const std::string warning = owner->GetOverwriteWarning(m_strDestination, index);
    if (warning.empty())
        return result;
    result = Ui().MessageBox(warning, "", MB_YESNO) == IDYES;
    if (!result)
        return result;
    try {
        std::shared_ptr<IMBXVolume> volume;
        if (!owner->InitMbxVolPtr(volume)) {
            // The phone cannot be reached (a port problem has been told already).
            ShowMessage(526);
            return false;
        }
        const std::string fullPath = "\\" + DestinationFolder() + "\\" + m_strDestination;
        if (const STRUCT_RTFILEINFO* record = owner->GetRtFileInfoForName(index);
            record && (record->dwAttributes & 0x01))
            CComError::ThrowIfFailed(volume->ChangeAttributes(fullPath, record->dwAttributes & ~0x01u));
        CComError::ThrowIfFailed(volume->RemoveFile(fullPath));
    } catch (const ComError& error) {
        // The user agreed to replace the file and it could not be: say why nothing is sent.
        CComError::TraceComError(error, "CMelodiesDlg::WriteDestinationOk");
        CComError::ReportError(error);
        ShowMessage(526);
        result = false;
    }
    return result;
}

bool CMelodiesDlg::WriteFileToMobile(const std::string& localPath)
{
    if (!SelectedFileIsValid(localPath))
        return false;
    IRingingtoneOwner* owner = GetRtParent();
    if (!owner)
        return false;
    const bool folder = FolderMode();
    const std::string line = FormatTransmitLine(localPath);
    std::shared_ptr<IProgressDlg> progress = CreateProgressWindow();
    CComError::ThrowIfFailed(progress->SetTitle(CSharedStrings::Get().GetString(4598)));
    CComError::ThrowIfFailed(progress->SetRange(0, 100));
    CComError::ThrowIfFailed(progress->SetOption(1));
    CComError::ThrowIfFailed(progress->SetPos(0));
    CComError::ThrowIfFailed(progress->SetLine(line));
    std::unique_ptr<CWaitCursor> wait;
    if (folder)
        CComError::ThrowIfFailed(progress->Show());
    else
        wait = std::make_unique<CWaitCursor>();

    CProgressStreamImpl stream(progress.get(), 0);
    CComError::ThrowIfFailed(stream.CreateFromFile(localPath));
    CComError::ThrowIfFailed(progress->SetPos(0));
    CComError::ThrowIfFailed(progress->SetLineCompact(line));

    bool result = false;
    if (folder) {
        std::shared_ptr<IMBXVolume> volume;
        const bool ready = owner->InitMbxVolPtr(volume);
        if (ready) {
            PullFromControls();
            const std::string fullPath = "\\" + DestinationFolder() + "\\" + m_strDestination;
            const HRESULT hr = volume->PutFile(fullPath, &stream, 0);
            if (FAILED(hr)) {
                progress->Close();
                CComError::ThrowCurrent(hr);
            }
            if (owner->AddRtFileList(m_strDestination)) {
                if (auto* files = Item<wxComboBox>(IDC_COMBO_TONEFILE))
                    files->Append(wxString::FromUTF8(m_strDestination));
                owner->AddToTonesList(m_strDestination);
            }
            // The new file is on the phone now: the play buttons follow it at once.
            PostMessage(this, WM_UPDATE_PLAY_ON_MOBILE, 0, 0);
        }
        CComError::ThrowIfFailed(progress->Close());
        std::int32_t cancelled = 0;
        CComError::ThrowIfFailed(progress->HasUserCancelled(&cancelled));
        result = ready && cancelled == 0;
    } else {
        auto* slots = Item<wxChoice>(IDC_COMBO_USERDEF);
        const long slot = NumberUserdefRt() - (slots ? slots->GetSelection() : 0) - 1;
        const HRESULT hr = m_Phone.SendToSlot(static_cast<std::int32_t>(slot), stream.GetInnerStream().get());
        wait.reset();
        CComError::ThrowIfFailed(hr);
        result = true;
    }
    return result;
}

} // namespace corvina
