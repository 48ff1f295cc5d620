// The main dialog's side of a phone connection: new phone records, validation with the profile,
// the read-out on a worker thread, the ringtone file list and the active file of a line.
#include "CRingingtoneDlg.h"

#include "CGroupMgr.h"
#include "CTabCtrl.h"
#include "CTraceFile.h"
#include "PhoneProfile.h"
#include "PhoneType.h"
#include "ReadOut.h"
#include "ServiceInit.h"
#include "UiServices.h"

#include <mutex>
#include <system_error>
#include <thread>

namespace corvina {

// One read-out: the worker fills the result and posts to the dialog while it still listens.
struct ReadOutJob {
    std::mutex mutex;
    wxWindow* target = nullptr; // cleared when the dialog no longer wants the result
    std::atomic<bool> cancelled{false};
    bool finished = false;
    bool told = false; // the dialog has taken (or dropped) its end
    ReadOutResult result;
    std::thread thread;
};

std::intptr_t CRingingtoneDlg::OnNewPhone(std::uintptr_t, std::intptr_t lParam)
{
    auto* record = reinterpret_cast<CMobileInfo*>(lParam);
    if (m_nTransfers > 0) {
        // Only the latest record counts once the transfer is over.
        delete m_pDeferredPhone;
        m_pDeferredPhone = record;
        return 0;
    }
    // The same phone again: the record is not kept, so it is freed here.
    if (m_pMobileInfo && record && !record->m_strImei.empty() && record->m_strImei == m_pMobileInfo->m_strImei) {
        delete record;
        return 0;
    }
    if (record && !record->m_strImei.empty())
        TheTrace().Trace(4, "Phone connected: %s %s", record->m_strPhoneType.c_str(), record->m_strImei.c_str());
    else
        TheTrace().Trace(4, "Phone disconnected");
    // Whatever the previous phone's read-out still finds belongs to a phone that is gone; a failure
    // it meets is still told, and the loading note goes unless a new read-out starts.
    if (m_pReadOut) {
        CancelReadOut(true);
        m_TonesMobileDlg.ShowLoadComment(false);
    }
    m_bValidationPending = true;
    delete m_pMobileInfo;
    m_pMobileInfo = record;
    SetRtDefaults();
    m_bWasRead = 0;
    if (m_nShown)
        OnMsgValidateNew(0, 0);
    return 0;
}

std::intptr_t CRingingtoneDlg::OnMsgValidateNew(std::uintptr_t, std::intptr_t)
{
    m_bWasRead = 0;
    m_bConnected = 0;
    UpdateControls();
    UpdateReadButton(false);
    if (!m_pMobileInfo)
        return 0;
    unsigned message = 0;
    if (m_pMobileInfo->m_strImei.empty())
        message = 514;
    else if (!ReadRegInfos(0))
        message = UnsupportedPhoneMessage(GetPhoneType());
    if (message)
        Ui().MessageBox(m_Resource.GetString(message), "", MB_OK);
    m_TonesMobileDlg.InitLinesFromType();
    if (message == 0 || message == 547)
        ReadInfosFromPhone();
    return 0;
}

int CRingingtoneDlg::IsSupportedPhone(const std::string& phoneType) const
{
    return corvina::IsSupportedPhone(phoneType);
}

bool CRingingtoneDlg::IsR41() const
{
    return CGroupMgr::GetRef().IsR41(GetPhoneType());
}

int CRingingtoneDlg::ReadRegInfos(int showMessage)
{
    if (GetCurImei().empty()) {
        m_bConnected = 0;
        return 0;
    }
    m_bConnected = 1;
    const std::string type = GetPhoneType();
    if (!IsSupportedPhone(type)) {
        if (showMessage)
            Ui().MessageBox(m_Resource.GetString(UnsupportedPhoneMessage(type)), "", MB_OK);
        m_bConnected = 0;
        return 0;
    }
    int result = m_TonesMobileDlg.GetVolInfosFromRegdb();
    if (result)
        result = m_MelodiesDlg.GetAcceptsMultiChannelFromRegdb();
    if (result)
        result = ReadRtStdFolderFromRegdb();
    if (result && (!m_bRtByFilename || IsBirchFamily(type)))
        result = GetNumberRtFromRegdb();
    m_bConnected = result;
    return result;
}

int CRingingtoneDlg::ReadRtStdFolderFromRegdb()
{
    FrameProfile profile;
    const int result = corvina::ReadRtStdFolderFromRegdb(GetCurImei(), GetPhoneType(), profile);
    m_strRtStdFolder = profile.strRtStdFolder;
    m_strImyStdFolder = profile.strImyStdFolder;
    m_bRtByFilename = profile.bRtByFilename;
    return result;
}

int CRingingtoneDlg::GetNumberRtFromRegdb()
{
    FrameProfile profile;
    profile.lNumberFixRt = m_lNumberFixRt;
    profile.lNumberUserdefRt = m_lNumberUserdefRt;
    profile.lNumberRt = m_lNumberRt;
    profile.lFirstUsedIndexRt = m_lFirstUsedIndexRt;
    const int result = corvina::GetNumberRtFromRegdb(GetPhoneType(), profile);
    m_lNumberFixRt = profile.lNumberFixRt;
    m_lNumberUserdefRt = profile.lNumberUserdefRt;
    m_lNumberRt = profile.lNumberRt;
    m_lFirstUsedIndexRt = profile.lFirstUsedIndexRt;
    return result;
}

void CRingingtoneDlg::OnButtonRead(wxCommandEvent&)
{
    m_bWasRead = 0;
    UpdateControls();
    UpdateReadButton(true);
    if (IsBirchFamily(GetPhoneType()))
        m_TonesMobileDlg.InitLinesFromType();
    ReadInfosFromPhone();
}

void CRingingtoneDlg::ReadInfosFromPhone()
{
    if (m_pReadOut) {
        m_bReadAgain = true;
        return;
    }
    JoinRetiredReadOuts(false);
    EmptyRtFileList();
    m_bReadAgain = false;
    m_TonesMobileDlg.ShowLoadComment(true);

    ReadOutRequest request;
    request.strPhoneType = GetPhoneType();
    request.strImei = GetCurImei();
    request.bConnected = m_bConnected != 0;
    request.bRtByFilename = m_bRtByFilename;
    request.bIsR41 = IsR41();
    request.strRtStdFolder = m_strRtStdFolder;
    request.strImyStdFolder = m_strImyStdFolder;
    request.nCurLine = m_eCurLine;

    auto job = std::make_shared<ReadOutJob>();
    job->target = this;
    TheTrace().Trace(4, "Read-out started");
    try {
        job->thread = std::thread([job, request] {
            ReadOutResult result = RunReadOut(request, job->cancelled);
            std::lock_guard<std::mutex> lock(job->mutex);
            job->result = std::move(result);
            job->finished = true;
            if (job->target)
                PostMessage(job->target, WM_RT_INFOS_READ, static_cast<std::uintptr_t>(job->result.nCode),
                            job->result.hr);
        });
    } catch (const std::system_error&) {
        // No worker: the read-out fails as a failed AT part would.
        job->finished = true;
        job->result.nCode = READOUT_AT_FAILED;
        m_pReadOut = job;
        PostMessage(this, WM_RT_INFOS_READ, READOUT_AT_FAILED, 0);
        return;
    }
    m_pReadOut = job;
}

void CRingingtoneDlg::CancelReadOut(bool wantEnd)
{
    if (!m_pReadOut)
        return;
    {
        std::lock_guard<std::mutex> lock(m_pReadOut->mutex);
        if (!wantEnd) {
            m_pReadOut->target = nullptr;
            m_pReadOut->told = true;
        }
        m_pReadOut->cancelled = true;
    }
    m_RetiredReadOuts.push_back(std::move(m_pReadOut));
    m_pReadOut.reset();
    if (!wantEnd) {
        for (auto& job : m_RetiredReadOuts) {
            std::lock_guard<std::mutex> lock(job->mutex);
            job->target = nullptr;
            job->told = true;
        }
    }
}

void CRingingtoneDlg::SetRtReadHandleZero()
{
    // The worker is forgotten, not stopped: it finishes on its own and nobody takes its result.
    if (!m_pReadOut)
        return;
    {
        std::lock_guard<std::mutex> lock(m_pReadOut->mutex);
        m_pReadOut->target = nullptr;
        m_pReadOut->told = true;
    }
    m_RetiredReadOuts.push_back(std::move(m_pReadOut));
    m_pReadOut.reset();
}

void CRingingtoneDlg::JoinRetiredReadOuts(bool all)
{
    for (auto it = m_RetiredReadOuts.begin(); it != m_RetiredReadOuts.end();) {
        bool done = false;
        {
            std::lock_guard<std::mutex> lock((*it)->mutex);
            done = (*it)->finished && (*it)->told;
        }
        if (done || all) {
            if ((*it)->thread.joinable())
                (*it)->thread.join();
            it = m_RetiredReadOuts.erase(it);
        } else {
            ++it;
        }
    }
}

unsigned CRingingtoneDlg::ReadOutFailureMessage(int code)
{
    return code == READOUT_CREATE_FOLDER_FAILED ? 543 : code == READOUT_AT_FAILED ? 549 : 542;
}

void CRingingtoneDlg::ReportRetiredReadOutEnds()
{
    for (auto& job : m_RetiredReadOuts) {
        HRESULT setupFailure = S_OK;
        int code = READOUT_DONE;
        {
            std::lock_guard<std::mutex> lock(job->mutex);
            if (!job->finished || job->told)
                continue;
            job->told = true;
            // Its lists belong to a phone that is gone; only a failure it met is news to the user.
            if (job->result.bCancelled || job->result.nCode == READOUT_DONE)
                continue;
            setupFailure = job->result.hrServiceSetup;
            code = job->result.nCode;
        }
        ReportPortCannotBeRead(setupFailure);
        Ui().MessageBox(m_Resource.GetString(ReadOutFailureMessage(code)), "", MB_OK);
    }
}

std::intptr_t CRingingtoneDlg::OnMsgRtInfosRead(std::uintptr_t, std::intptr_t)
{
    ReportRetiredReadOutEnds();
    if (!m_pReadOut)
        return 0; // a late message of a read-out that was cancelled or already taken
    ReadOutResult result;
    {
        std::lock_guard<std::mutex> lock(m_pReadOut->mutex);
        if (!m_pReadOut->finished)
            return 0; // a cancelled read-out's message while the current one still runs
        result = std::move(m_pReadOut->result);
    }
    if (m_pReadOut->thread.joinable())
        m_pReadOut->thread.join();
    m_pReadOut.reset();
    TheTrace().Trace(4, "Read-out finished: code %d, hr 0x%08X", result.nCode, static_cast<unsigned>(result.hr));
    TheTrace().Trace(4, "Read-out took %ld ms", result.lElapsedMs);

    if (m_bReadAgain && result.hr == HR_PHONE_BUSY) {
        ReadInfosFromPhone();
        return 0;
    }
    m_TonesMobileDlg.ShowLoadComment(false);

    // What the worker read stands, also when a later step failed.
    m_RtFiles.Empty();
    m_RtFiles.Names() = std::move(result.names);
    m_nImyNames = result.nImyNames;
    for (const STRUCT_RTFILEINFO& record : result.records)
        m_RtFiles.Records().push_back(new STRUCT_RTFILEINFO(record));
    if (!IsBirchFamily(GetPhoneType()))
        m_lRtArrayIndex = result.lArrayIndex;
    m_strRtSelFileName = result.strSelFileName;
    m_nLacking = result.nLacking;
    m_TonesMobileDlg.SetLackingFeatures(result.nLacking);
    if (result.bAtRead)
        m_TonesMobileDlg.SetRtInfos(result.at.lVolStart, result.at.lVolEnd, result.at.lToneIndex, result.at.lVolume,
                                    result.at.lSoundMode);

    // The worker shows nothing itself: a port that cannot be opened is told here, before the
    // read-out's own failure.
    ReportPortCannotBeRead(result.hrServiceSetup);
    if (result.nCode == READOUT_DONE) {
        m_bWasRead = 1;
    } else {
        Ui().MessageBox(m_Resource.GetString(ReadOutFailureMessage(result.nCode)), "", MB_OK);
    }
    if (m_bRtByFilename) {
        m_lRtArrayIndex = GetActiveFileIndex(m_strRtSelFileName);
        m_MelodiesDlg.UpdateComboFileContent(m_lRtArrayIndex);
    } else {
        m_MelodiesDlg.InitComboUserdef();
    }
    if (IsBirchFamily(GetPhoneType()))
        m_RtFiles.SortRecordsByToneNumber();
    m_TonesMobileDlg.InitTonesList();
    UpdateControls();
    return 0;
}

bool CRingingtoneDlg::AddRtFileList(const std::string& name)
{
    if (IsBirchFamily(GetPhoneType())) {
        // The phone numbers its tones itself: list them anew.
        ReadInfosFromPhone();
        return false;
    }
    return m_RtFiles.Add(name);
}

void CRingingtoneDlg::AddToTonesList(const std::string& name)
{
    m_TonesMobileDlg.AddToTonesList(name);
}

std::string CRingingtoneDlg::GetAPathFileName(const std::string& name) const
{
    return corvina::GetAPathFileName(m_strRtStdFolder, name);
}

bool CRingingtoneDlg::FilePlayable(const std::string& name) const
{
    return corvina::FilePlayable(name);
}

std::string CRingingtoneDlg::GetOverwriteWarning(const std::string& name, int& index) const
{
    // A file of that name in the other standard folder is not where the melody goes: nothing is
    // replaced. (An iMelody goes into the iMelody folder, every other file into the ringtone folder.)
    const long listed = m_RtFiles.GetActiveFileIndex(name);
    const bool melody =
        !m_strImyStdFolder.empty() && name.size() > 4 &&
        (name.compare(name.size() - 4, 4, ".imy") == 0 || name.compare(name.size() - 4, 4, ".IMY") == 0);
    if (listed != -1 && IsInRtStdFolder(listed) == melody)
        return {};
    return m_RtFiles.GetOverwriteWarning(name, index, m_Resource);
}

long CRingingtoneDlg::GetActiveFileFromPhone(std::string& name)
{
    HRESULT setupFailure = S_OK;
    const long hr = corvina::GetActiveFileFromPhone(m_eCurLine, name, &setupFailure);
    ReportPortCannotBeRead(setupFailure);
    return hr;
}

long CRingingtoneDlg::SetActiveFileToPhone(const std::string& name)
{
    return corvina::SetActiveFileToPhone(m_eCurLine, m_strRtStdFolder, name);
}

void CRingingtoneDlg::OnSelchangeComboLines(long line)
{
    m_eCurLine = static_cast<eProfileSettingsType>(line);
    std::string name;
    const long hr = GetActiveFileFromPhone(name);
    const long index = (hr < 0 || hr == S_FALSE) ? -1 : GetActiveFileIndex(name);
    UpdateRtIndex(index, 1);
}

bool CRingingtoneDlg::InitMbxVolPtr(std::shared_ptr<IMBXVolume>& volume)
{
    HRESULT setupFailure = S_OK;
    const bool ready = corvina::InitMbxVolPtr(volume, &setupFailure);
    ReportPortCannotBeRead(setupFailure);
    return ready;
}

bool CRingingtoneDlg::InitRtSettingsPtr(std::shared_ptr<IRingtoneSettings>& settings)
{
    HRESULT setupFailure = S_OK;
    const bool ready = corvina::InitRtSettingsPtr(settings, &setupFailure);
    ReportPortCannotBeRead(setupFailure);
    return ready;
}

void CRingingtoneDlg::UpdateRtIndex(long index, int flag)
{
    m_lRtIndex = index;
    m_lRtArrayIndex = index - m_TonesMobileDlg.FirstUsedIndexRt();
    if (flag)
        m_TonesMobileDlg.UpdateTonesList(0);
    else
        m_MelodiesDlg.UpdateComboTone();
}

void CRingingtoneDlg::AddSoundModeNormal()
{
    m_TonesMobileDlg.AddSoundModeNormal(0);
    if (m_pTab && m_pTab->GetCurSel() == 0)
        m_TonesMobileDlg.PushToControls();
}

void CRingingtoneDlg::ShowSoundModeAgain(long soundMode)
{
    m_TonesMobileDlg.RestoreSoundMode(soundMode, false);
}

} // namespace corvina
