// Reading the phone's ringtone information: the AT part (tone, volume, sound mode) and the listing
// of the standard folders. Runs on the read-out worker; it touches no dialog, it only fills a result.
#pragma once

#include "HResult.h"
#include "STRUCT_RTFILEINFO.h"

#include <atomic>
#include <string>
#include <vector>

namespace corvina {

class CAtcHelperFunctions;
class IMBXVolume;

// What the worker needs to know of the dialog, copied when the read-out starts.
struct ReadOutRequest {
    std::string strPhoneType;
    std::string strImei;
    bool bConnected = false;
    bool bRtByFilename = true;
    bool bIsR41 = false;
    std::string strRtStdFolder;
    std::string strImyStdFolder;
    int nCurLine = 9; // eProfileSettingsType of the current line
};

// The phone's AT settings as read.
struct AtInfos {
    long lVolStart = 1;
    long lVolEnd = 4;
    long lToneIndex = 1;
    long lVolume = 3;
    long lSoundMode = 1;
};

// Result codes of a read-out.
enum eReadOutCode : int {
    READOUT_DONE = 0,
    READOUT_ROOT_LIST_FAILED = 1,
    READOUT_CREATE_FOLDER_FAILED = 2,
    READOUT_FOLDER_LIST_FAILED = 3,
    READOUT_AT_FAILED = 4,
    READOUT_VOLUME_SETUP_FAILED = 5,
    READOUT_ACTIVE_FILE_FAILED = 7,
};

// Features a phone may lack (it answered ERROR or +CME ERROR to their command); bits of
// ReadOutResult::nLacking.
enum eLackingFeature : unsigned {
    LACKS_TONE = 0x01,        // AT^CRTN?: the tone index of the general line
    LACKS_VOLUME = 0x02,      // neither AT^CRTN? nor AT+CRSL? gives the ringer level
    LACKS_RINGER = 0x04,      // AT+CALM?
    LACKS_VIBRATION = 0x08,   // AT+CVIB?
    LACKS_ACTIVE_FILE = 0x10, // AT^CAFL
    LACKS_VOLUME_RANGE = 0x20 // AT+CRSL=? / AT^CLVL=?
};
// "tone, vibration" for the trace; empty for none.
std::string LackingFeatureNames(unsigned lacking);

struct ReadOutResult {
    int nCode = READOUT_AT_FAILED;
    HRESULT hr = S_OK;
    bool bAtRead = false;  // the AT part delivered values for SetRtInfos
    unsigned nLacking = 0; // eLackingFeature bits of what the phone does not offer
    AtInfos at;
    std::string strSelFileName; // the active file of the current line
    std::vector<std::string> names;
    // How many names at the front come from the iMelody folder (platform phones read it first).
    std::size_t nImyNames = 0;
    std::vector<STRUCT_RTFILEINFO> records;
    long lArrayIndex = -1;
    long lElapsedMs = 0;
    bool bCancelled = false; // stopped early on request, without a failure of its own
    // Why a phone service could not be set up (S_OK when it could); the dialog tells the user.
    HRESULT hrServiceSetup = S_OK;
};

// The AT part: false when no phone is connected; true without reading for platform phones (their
// settings are read per line). Failures are raised as ComError.
// A feature the phone lacks sets its bit in lacking and keeps the default value.
bool ReadRtAtcInfos(const ReadOutRequest& request, CAtcHelperFunctions& atc, AtInfos& infos, bool& valuesRead,
                    unsigned& lacking);

// Lists one standard folder into the result (creating it when the phone lacks it); returns 0.
// A failure sets code to the failing step (1, 2, 3 or 7) and raises ComError.
int ReadRtFolder(const std::string& folder, IMBXVolume& volume, const ReadOutRequest& request, ReadOutResult& result,
                 int& code);

// The whole read-out as the worker runs it; cancelled is checked between steps.
ReadOutResult RunReadOut(const ReadOutRequest& request, const std::atomic<bool>& cancelled);

// Asks the ringtone-assignment service for a line's active file: "" for none (S_FALSE); the bare
// file name otherwise. E_FAIL when the service cannot be set up, setupFailure then says why.
// Shows nothing, so the read-out worker may call it.
HRESULT GetActiveFileFromPhone(int line, std::string& name, HRESULT* setupFailure = nullptr);
// Makes "A:\folder\name" the line's active file; a failure (also of setting up the service) is
// traced and reported to the user. User-interface thread only.
HRESULT SetActiveFileToPhone(int line, const std::string& folder, const std::string& name);

} // namespace corvina
