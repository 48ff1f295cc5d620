// The numbers of OBEX File Transfer (operation codes, response codes, header ids) and the mapping of
// the phone's response codes to the HRESULTs the pages already know.
#pragma once

#include "HResult.h"

#include <array>
#include <cstdint>
#include <string>

namespace corvina::obex {

// Operations; the high bit (kFinal) marks the last packet of a request.
inline constexpr std::uint8_t kFinal = 0x80;
inline constexpr std::uint8_t kOpConnect = 0x80;
inline constexpr std::uint8_t kOpDisconnect = 0x81;
inline constexpr std::uint8_t kOpPut = 0x02;
inline constexpr std::uint8_t kOpGet = 0x03;
inline constexpr std::uint8_t kOpSetPath = 0x85;
inline constexpr std::uint8_t kOpAction = 0x86;
inline constexpr std::uint8_t kOpAbort = 0xFF;

// Response codes (always with the final bit).
inline constexpr std::uint8_t kRspContinue = 0x90;
inline constexpr std::uint8_t kRspSuccess = 0xA0;
inline constexpr std::uint8_t kRspCreated = 0xA1;
inline constexpr std::uint8_t kRspBadRequest = 0xC0;
inline constexpr std::uint8_t kRspUnauthorized = 0xC1;
inline constexpr std::uint8_t kRspForbidden = 0xC3;
inline constexpr std::uint8_t kRspNotFound = 0xC4;
inline constexpr std::uint8_t kRspNotAcceptable = 0xC6;
inline constexpr std::uint8_t kRspConflict = 0xC9;
inline constexpr std::uint8_t kRspLengthRequired = 0xCB;
inline constexpr std::uint8_t kRspPreconditionFailed = 0xCC;
inline constexpr std::uint8_t kRspEntityTooLarge = 0xCD;
inline constexpr std::uint8_t kRspInternalError = 0xD0;
inline constexpr std::uint8_t kRspNotImplemented = 0xD1;
inline constexpr std::uint8_t kRspServiceUnavailable = 0xD3;
inline constexpr std::uint8_t kRspDatabaseFull = 0xE0;

// Header ids; the top two bits give the encoding (text, bytes, one byte, four bytes).
inline constexpr std::uint8_t kHdrName = 0x01;
inline constexpr std::uint8_t kHdrType = 0x42;
inline constexpr std::uint8_t kHdrLength = 0xC3;
inline constexpr std::uint8_t kHdrTime = 0x44;
inline constexpr std::uint8_t kHdrTarget = 0x46;
inline constexpr std::uint8_t kHdrBody = 0x48;
inline constexpr std::uint8_t kHdrEndOfBody = 0x49;
inline constexpr std::uint8_t kHdrWho = 0x4A;
inline constexpr std::uint8_t kHdrConnectionId = 0xCB;
inline constexpr std::uint8_t kHdrActionId = 0x94;
inline constexpr std::uint8_t kHdrPermissions = 0xD6;

// SETPATH flags: go to the parent first; do not create the folder.
inline constexpr std::uint8_t kSetPathBackup = 0x01;
inline constexpr std::uint8_t kSetPathNoCreate = 0x02;
// ACTION ids.
inline constexpr std::uint8_t kActionSetPermissions = 0x02;
// Permission bits of the user in the Permissions header.
inline constexpr std::uint32_t kPermUserRead = 0x01;
inline constexpr std::uint32_t kPermUserWrite = 0x02;
inline constexpr std::uint32_t kPermUserDelete = 0x04;

inline constexpr std::uint8_t kVersion = 0x10;
// The smallest packet every OBEX peer must take, and the largest the length field can carry.
inline constexpr std::size_t kMinPacket = 255;
inline constexpr std::size_t kMaxPacket = 0xFFFF;

// The folder-browsing service's target UUID F9EC7BC4-953C-11D2-984E-525400DC9E09.
inline constexpr std::array<std::uint8_t, 16> kFolderBrowsingUuid = {0xF9, 0xEC, 0x7B, 0xC4, 0x95, 0x3C, 0x11, 0xD2,
                                                                     0x98, 0x4E, 0x52, 0x54, 0x00, 0xDC, 0x9E, 0x09};
// The type of a folder listing in a GET.
inline constexpr const char* kFolderListingType = "x-obex/folder-listing";

// The HRESULT for a response code: S_OK for Success and Created, the failure the pages know for
// the rest (Forbidden and Unauthorized E_ACCESSDENIED, Not Found HR_PATH_NOT_FOUND, ...).
HRESULT HrFromResponse(std::uint8_t code);
// A readable name of the code for the trace ("Forbidden", "0xC7").
std::string ResponseName(std::uint8_t code);

} // namespace corvina::obex
