// Class ids of the phone services, by which the factory finds the registered implementation.
#pragma once

namespace corvina {

// The phone's file-system volume.
inline constexpr const char* CLSID_MBXVolume = "{D73D7EA8-AD8A-11D3-A271-00105A3B325A}";
// The ringtone-assignment service (the file each ringing line plays).
inline constexpr const char* CLSID_RingtoneSettings = "{C73CB50A-C50E-4FC7-989F-CF0544F35167}";
// The progress window of transfers.
inline constexpr const char* CLSID_ProgressDlg = "{5422B9CC-2BC6-4CFB-921B-39BD80EAA783}";
// The AT command service behind CAtcHelperFunctions.
inline constexpr const char* CLSID_AtCommandService = "{8E3C51D2-6A0B-4F7E-9B1D-2C4A7F90E615}";

// Names under which the built-in implementations register.
inline constexpr const char* kImplFolderVolume = "FolderVolume";
inline constexpr const char* kImplObexVolume = "ObexVolume";
// The folder volume when "VolumeRoot" is set, OBEX on "Port" otherwise; "Volume"="folder" or
// "obex" under the suite root forces one.
inline constexpr const char* kImplPhoneVolume = "PhoneVolume";
inline constexpr const char* kImplAtRingtoneSettings = "AtRingtoneSettings";
inline constexpr const char* kImplAtCommandService = "AtCommandService";
inline constexpr const char* kImplRecordingProgressWindow = "RecordingProgressWindow";
// The progress window on the screen; the editor registers it when it starts.
inline constexpr const char* kImplProgressWindow = "ProgressWindow";

} // namespace corvina
