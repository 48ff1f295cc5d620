// Every AT command the phone link sends, as templates with <placeholders>; docs/at-commands.md
// lists the same templates, and a test keeps both in step.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvina::atcmd {

// Opening the link.
inline constexpr const char* kVerbose = "ATV1";
inline constexpr const char* kResultCodesOn = "ATQ0";
inline constexpr const char* kEchoOff = "ATE0";
inline constexpr const char* kExtendedErrors = "AT+CMEE=1";
inline constexpr const char* kCharsetUtf8 = "AT+CSCS=\"UTF-8\"";
// Identification.
inline constexpr const char* kImei = "AT+CGSN";
inline constexpr const char* kModel = "AT+CGMM";
inline constexpr const char* kManufacturer = "AT+CGMI";
inline constexpr const char* kRevision = "AT+CGMR";
// The AT command service.
inline constexpr const char* kVolumeRange = "AT+CRSL=?";
inline constexpr const char* kSetRinger = "AT+CALM=<calm>";
inline constexpr const char* kSetVibration = "AT+CVIB=<cvib>";
inline constexpr const char* kSetRingTone = "AT^CRTN=<index>,<volume>";
inline constexpr const char* kUserToneBegin = "AT^CUTB=<slot>,<size>";
inline constexpr const char* kUserToneData = "AT^CUTD=\"<hex>\"";
inline constexpr const char* kUserToneEnd = "AT^CUTE=<sum>";
inline constexpr const char* kPlayRingTone = "AT^CPLY=1";
inline constexpr const char* kStopRingTone = "AT^CPLY=0";
inline constexpr const char* kGetRinger = "AT+CALM?";
inline constexpr const char* kGetRingerLevel = "AT+CRSL?";
inline constexpr const char* kGetVibration = "AT+CVIB?";
inline constexpr const char* kGetRingTone = "AT^CRTN?";
inline constexpr const char* kPlayToneFile = "AT^CPLF=\"<path>\",<repeat>";
inline constexpr const char* kStopToneFile = "AT^CPLF=0";
inline constexpr const char* kSetLineVolume = "AT^CLVL=<line>,<volume>";
inline constexpr const char* kLineVolumeRange = "AT^CLVL=?";
inline constexpr const char* kGetLineTone = "AT^CLTN=<line>";
inline constexpr const char* kSetLineTone = "AT^CLTN=<line>,<tone>,<volume>";
// The ringtone-assignment service.
inline constexpr const char* kSetActiveFile = "AT^CAFL=<line>,\"<path>\"";
inline constexpr const char* kGetActiveFile = "AT^CAFL=<line>";
// The phone's files: the line switches to OBEX File Transfer until the OBEX session ends.
inline constexpr const char* kObexMode = "AT+CPROT=0";
inline constexpr const char* kAttention = "AT";

inline constexpr std::array kAll = {
    kVerbose,       kResultCodesOn, kEchoOff,      kExtendedErrors, kCharsetUtf8,     kImei,           kModel,
    kManufacturer,  kRevision,      kVolumeRange,  kSetRinger,      kSetVibration,    kSetRingTone,    kUserToneBegin,
    kUserToneData,  kUserToneEnd,   kPlayRingTone, kStopRingTone,   kGetRinger,       kGetRingerLevel, kGetVibration,
    kGetRingTone,   kPlayToneFile,  kStopToneFile, kSetLineVolume,  kLineVolumeRange, kGetLineTone,    kSetLineTone,
    kSetActiveFile, kGetActiveFile, kObexMode,     kAttention,
};

// Bytes per user-tone data command.
inline constexpr std::size_t kUserToneChunk = 256;

// Fills the template's placeholders, in order, with the arguments. Nothing (std::nullopt) when the
// count differs or an argument holds a double quote or a control character, which a quoted AT
// string cannot carry.
std::optional<std::string> Format(std::string_view templ, const std::vector<std::string>& arguments);

} // namespace corvina::atcmd
