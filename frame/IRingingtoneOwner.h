// What the pages and their play panels may ask of the main dialog that owns them: the connected
// phone's state, its ringtone files and the few operations that change them. The pages know only this.
#pragma once

#include "RingingLine.h"
#include "STRUCT_RTFILEINFO.h"

#include <memory>
#include <string>
#include <vector>

namespace corvina {

class IMBXVolume;

class IRingingtoneOwner {
public:
    virtual ~IRingingtoneOwner() = default;

    // The phone and its read-out.
    virtual int IsConnected() const = 0;
    virtual int WasRead() const = 0;
    // eLackingFeature bits of the last read-out: features whose commands are never sent.
    virtual unsigned GetLackingFeatures() const = 0;
    virtual std::string GetPhoneType() const = 0;
    virtual std::string GetCurImei() const = 0;
    // The phone type belongs to the caller-group family of model R41.
    virtual bool IsR41() const = 0;
    virtual eRingingLine GetCurRingingLine() const = 0;
    // The volume the tones page shows.
    virtual long GetVolume() const = 0;

    // The tones: numbered slots (index mode) or files in the standard folders (folder mode).
    virtual bool GetRtByFilename() const = 0;
    virtual std::string GetRtStdFolder() const = 0;
    virtual std::string GetImyStdFolder() const = 0;
    virtual long GetNumberFixRt() const = 0;
    virtual long GetNumberUserdefRt() const = 0;
    virtual long FirstUsedIndexRt() const = 0;
    // Folder mode: the number of ringtone files listed; index mode: the total number of tones.
    virtual long GetNumberRt() const = 0;
    virtual long GetRtIndex() const = 0;
    virtual long GetRtArrayIndex() const = 0;
    // The current tone changed: index and array index, and the page that shows it refreshes.
    virtual void UpdateRtIndex(long index, int flag) = 0;

    // The ringtone file list.
    virtual std::vector<std::string>* GetRtFileList() = 0;
    virtual std::vector<STRUCT_RTFILEINFO*>* GetRtFileInfoList() = 0;
    // The record of the file name at a position of the name list; nullptr when there is none.
    virtual const STRUCT_RTFILEINFO* GetRtFileInfoForName(long namePosition) const = 0;
    virtual bool AddRtFileList(const std::string& name) = 0;
    virtual void AddToTonesList(const std::string& name) = 0;
    virtual int GetIndexForName(const std::string& name) const = 0;
    virtual std::string GetCurRtFileName() const = 0;
    // The absolute path on the phone of a file name in its folder.
    virtual std::string GetAPathFileName(const std::string& name) const = 0;
    virtual std::string GetCurRtAPathFileName() const = 0;
    virtual bool FilePlayable(const std::string& name) const = 0;
    // The question before a file of that name is replaced; empty when there is nothing to replace.
    virtual std::string GetOverwriteWarning(const std::string& name, int& index) const = 0;
    // Whether the name at this position of the name list is a file of the standard ringtone folder.
    virtual bool IsInRtStdFolder(long index) const = 0;

    // Operations on the phone (user-interface thread: a port that cannot be opened is reported).
    virtual long SetActiveFileToPhone(const std::string& name) = 0;
    virtual bool InitMbxVolPtr(std::shared_ptr<IMBXVolume>& volume) = 0;
    // The user picked a line on the tones page: make it current and find its active tone.
    virtual void OnSelchangeComboLines(long line) = 0;
    // A transfer to the phone runs from Begin to End (records arriving meanwhile wait for its end).
    virtual void BeginTransfer() = 0;
    virtual void EndTransfer() = 0;
    // The tones page switches to the normal ring.
    virtual void AddSoundModeNormal() = 0;
    // The tones page shows this sound mode again (playing on the phone had switched the ringer on).
    virtual void ShowSoundModeAgain(long soundMode) = 0;
};

} // namespace corvina
