// The read-out's steps and the phone's active file per line.
#include "ReadOut.h"

#include "CAtcHelperFunctions.h"
#include "CComError.h"
#include "IMBXVolume.h"
#include "IRingtoneSettings.h"
#include "PhoneErrors.h"
#include "PhoneType.h"
#include "RtFileList.h"
#include "ServiceInit.h"
#include "CTraceFile.h"

#include <chrono>

namespace corvina {

namespace {

// Raises a failure of the line; a refusal only marks the feature as lacking. True when read.
bool ReadFeature(HRESULT hr, unsigned feature, unsigned& lacking)
{
    if (PhoneRefused(hr)) {
        lacking |= feature;
        return false;
    }
    CComError::ThrowIfFailed(hr);
    return true;
}

} // namespace

std::string LackingFeatureNames(unsigned lacking)
{
    static const std::pair<unsigned, const char*> kNames[] = {{LACKS_TONE, "tone (AT^CRTN?)"},
                                                              {LACKS_VOLUME, "ringer level (AT^CRTN?, AT+CRSL?)"},
                                                              {LACKS_RINGER, "ringer (AT+CALM?)"},
                                                              {LACKS_VIBRATION, "vibration (AT+CVIB?)"},
                                                              {LACKS_ACTIVE_FILE, "active file (AT^CAFL)"},
                                                              {LACKS_VOLUME_RANGE, "volume scale"}};
    std::string names;
    for (const auto& [bit, name] : kNames)
        if (lacking & bit)
            names += (names.empty() ? "" : ", ") + std::string(name);
    return names;
}

bool ReadRtAtcInfos(const ReadOutRequest& request, CAtcHelperFunctions& atc, AtInfos& infos, bool& valuesRead,
                    unsigned& lacking)
{
    valuesRead = false;
    if (!request.bConnected)
        return false;
    if (IsBirchFamily(request.strPhoneType))
        return true;
    AtInfos read;
    IAtCommandService& service = atc.Atc();
    std::int32_t start = 1, end = 4, tone = 1, volume = 3, soundMode = 1;
    if (!request.bIsR41) {
        if (!ReadFeature(service.GetVolumeRange(1, &start, &end), LACKS_VOLUME_RANGE, lacking)) {
            start = 1;
            end = 4;
        }
        if (!ReadFeature(service.GetRingTone(&tone, &volume), LACKS_TONE, lacking)) {
            // Without the vendor command the standard ringer level stands in for the volume.
            tone = 1;
            std::int32_t level = 3;
            const HRESULT hr = service.GetRingerLevel(&level);
            if (hr == E_NOTIMPL || !ReadFeature(hr, LACKS_VOLUME, lacking))
                lacking |= LACKS_VOLUME;
            else
                volume = level;
        }
    } else {
        if (!ReadFeature(service.GetVolumeRangeOfGroupPhones(&start, &end), LACKS_VOLUME_RANGE, lacking)) {
            start = 1;
            end = 5;
        }
        // Group phones give no general volume: the page takes the middle of the scale.
        volume = (start + end + 1) / 2;
    }
    if (HRESULT hr = service.GetSoundMode(&soundMode); PhoneRefused(hr)) {
        // Ask one by one: a phone may have the ringer command without the vibration one.
        std::int32_t calm = -1, cvib = -1;
        const HRESULT parts = service.GetRingerAndVibration(&calm, &cvib);
        if (parts == E_NOTIMPL)
            CComError::ThrowCurrent(hr);
        CComError::ThrowIfFailed(parts);
        static constexpr std::int32_t kRinger[] = {0x01, 0x02, 0x04};
        static constexpr std::int32_t kVibration[] = {0x20, 0x10, 0x40};
        if (calm < 0)
            lacking |= LACKS_RINGER;
        if (cvib < 0)
            lacking |= LACKS_VIBRATION;
        soundMode = (calm >= 0 ? kRinger[calm] : 0x01) | (cvib >= 0 ? kVibration[cvib] : 0x20);
    } else {
        CComError::ThrowIfFailed(hr);
    }
    read.lVolStart = start;
    read.lVolEnd = end;
    read.lToneIndex = tone;
    read.lVolume = volume;
    read.lSoundMode = soundMode;
    infos = read;
    valuesRead = true;
    return true;
}

int ReadRtFolder(const std::string& folder, IMBXVolume& volume, const ReadOutRequest& request, ReadOutResult& result,
                 int& code)
{
    code = READOUT_DONE;
    MBX_LISTING root;
    HRESULT hr = volume.ListFolder("\\*", -1, root);
    if (FAILED(hr)) {
        code = READOUT_ROOT_LIST_FAILED;
        CComError::ThrowCurrent(hr);
    }
    bool found = false;
    if (hr != S_FALSE) {
        for (const std::string& name : root.names) {
            if (EqualsNoCase(name, folder)) {
                found = true;
                break;
            }
        }
    }
    if (!found) {
        hr = volume.MakeFolder("\\" + folder);
        if (FAILED(hr)) {
            code = READOUT_CREATE_FOLDER_FAILED;
            CComError::ThrowCurrent(hr);
        }
        return 0;
    }
    const bool birch = IsBirchFamily(request.strPhoneType);
    if (!birch) {
        std::string active;
        hr = GetActiveFileFromPhone(request.nCurLine, active, &result.hrServiceSetup);
        if (PhoneRefused(hr)) {
            // Without the active-file command the files are listed with none marked.
            result.nLacking |= LACKS_ACTIVE_FILE;
            active.clear();
        } else if (FAILED(hr)) {
            code = READOUT_ACTIVE_FILE_FAILED;
            CComError::ThrowCurrent(hr);
        }
        result.strSelFileName = active;
    }
    MBX_LISTING listing;
    hr = volume.ListFolder("\\" + folder + "\\*", 0, listing);
    if (FAILED(hr)) {
        code = READOUT_FOLDER_LIST_FAILED;
        CComError::ThrowCurrent(hr);
    }
    if (hr == S_FALSE)
        return 0;
    std::vector<std::string> collected;
    for (const MBX_LISTENTRY& entry : listing.rows) {
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        STRUCT_RTFILEINFO record;
        record.dwAttributes = entry.attributes;
        record.nNumber = entry.number;
        record.dLastChange = entry.lastChange;
        if (birch) {
            record.nToneNumber = entry.toneNumber;
            record.nIndex = static_cast<std::int32_t>(result.names.size());
            result.names.push_back(entry.name);
        } else {
            collected.push_back(entry.name);
        }
        result.records.push_back(record);
    }
    if (!birch) {
        for (const std::string& name : collected)
            result.names.push_back(name);
        result.lArrayIndex = -1;
        for (std::size_t i = 0; i < result.names.size(); ++i) {
            if (EqualsNoCase(result.names[i], result.strSelFileName)) {
                result.lArrayIndex = static_cast<long>(i);
                break;
            }
        }
    }
    return 0;
}

ReadOutResult RunReadOut(const ReadOutRequest& request, const std::atomic<bool>& cancelled)
{
    const auto started = std::chrono::steady_clock::now();
    ReadOutResult result;
    result.nCode = READOUT_AT_FAILED;
    result.hr = S_OK;
    bool inFolderReader = false;
    int folderCode = READOUT_DONE;
    try {
        CAtcHelperFunctions atc;
        if (ReadRtAtcInfos(request, atc, result.at, result.bAtRead, result.nLacking) && !cancelled) {
            result.nCode = READOUT_DONE;
            if (request.bRtByFilename) {
                std::shared_ptr<IMBXVolume> volume;
                if (!InitMbxVolPtr(volume, &result.hrServiceSetup)) {
                    result.nCode = READOUT_VOLUME_SETUP_FAILED;
                } else {
                    std::vector<std::string> folders;
                    if (ContainsBirch(request.strPhoneType))
                        folders = {request.strImyStdFolder, request.strRtStdFolder};
                    else
                        folders = {request.strRtStdFolder};
                    for (std::size_t i = 0; i < folders.size(); ++i) {
                        if (result.nCode != READOUT_DONE || cancelled)
                            break;
                        inFolderReader = true;
                        result.nCode = ReadRtFolder(folders[i], *volume, request, result, folderCode);
                        inFolderReader = false;
                        if (folders.size() == 2 && i == 0)
                            result.nImyNames = result.names.size();
                    }
                }
            }
        }
    } catch (const ComError& error) {
        result.hr = error.Error();
        CComError::TraceComError(error, "ReadRtInfosThread");
        if (inFolderReader)
            result.nCode = folderCode;
    }
    if (result.nLacking)
        TheTrace().Trace(4, "Read-out: the phone lacks %s", LackingFeatureNames(result.nLacking).c_str());
    result.bCancelled = cancelled && SUCCEEDED(result.hr);
    result.lElapsedMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
    return result;
}

HRESULT GetActiveFileFromPhone(int line, std::string& name, HRESULT* setupFailure)
{
    name.clear();
    HRESULT hr = E_FAIL;
    std::shared_ptr<IRingtoneSettings> settings;
    if (!InitRtSettingsPtr(settings, setupFailure))
        return hr;
    std::string path;
    try {
        hr = settings->GetActiveFile(line, path);
        CComError::ThrowIfFailed(hr);
        if (hr != S_FALSE)
            name = NameFromPhonePath(path);
    } catch (const ComError& error) {
        CComError::TraceComError(error, "GetActiveFileFromPhone");
        hr = error.Error();
    }
    return hr;
}

HRESULT SetActiveFileToPhone(int line, const std::string& folder, const std::string& name)
{
    HRESULT hr = E_FAIL;
    std::shared_ptr<IRingtoneSettings> settings;
    HRESULT setupFailure = S_OK;
    if (!InitRtSettingsPtr(settings, &setupFailure)) {
        // The user asked for a change that did not happen: say why.
        if (!ReportPortCannotBeRead(setupFailure) && FAILED(setupFailure))
            CComError::ReportError(ComError(setupFailure, DescribePhoneError(setupFailure)));
        return hr;
    }
    try {
        hr = settings->SetActiveFile(line, GetAPathFileName(folder, name));
        CComError::ThrowIfFailed(hr);
    } catch (const ComError& error) {
        CComError::TraceComError(error, "SetActiveFileToPhone");
        CComError::ReportError(error);
        hr = error.Error();
    }
    return hr;
}

} // namespace corvina
