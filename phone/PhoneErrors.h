// Result codes of the phone link and the file-system volume, beside the common ones in HResult.h.
#pragma once

#include "HResult.h"

#include <string>

namespace corvina {

// The phone answered the plain final result code ERROR.
constexpr HRESULT HR_AT_ERROR = HrFromBits(0x8004B002u);
// The phone answered something that is not a valid answer (unreadable bytes, an overlong line, a
// missing or malformed information line).
constexpr HRESULT HR_AT_GARBAGE = HrFromBits(0x8004B003u);
// "+CME ERROR: n" is HR_CME_ERROR_BASE + n for n below kCmeErrorSpan.
constexpr HRESULT HR_CME_ERROR_BASE = HrFromBits(0x8004B100u);
constexpr int kCmeErrorSpan = 0x0F00;
// No final result code within the command's timeout (the system's timeout error as an HRESULT).
constexpr HRESULT HR_TIMEOUT = HrFromBits(0x800705B4u);
// The line was dropped or the device is gone (the system's "device not connected" as an HRESULT).
constexpr HRESULT HR_DEVICE_NOT_CONNECTED = HrFromBits(0x8007048Fu);
// A file or folder that is not there (the system's "path not found" as an HRESULT).
constexpr HRESULT HR_PATH_NOT_FOUND = HrFromBits(0x80070003u);
// A folder cannot be made because a file of that name is in the way.
constexpr HRESULT HR_ALREADY_EXISTS = HrFromBits(0x800700B7u);
// The phone has no room for the file (the system's "disk full" as an HRESULT).
constexpr HRESULT HR_DISK_FULL = HrFromBits(0x80070070u);

// The HRESULT for "+CME ERROR: n"; HR_AT_ERROR when n is outside the mapped span.
constexpr HRESULT HrFromCmeError(int n)
{
    return n >= 0 && n < kCmeErrorSpan ? HR_CME_ERROR_BASE + n : HR_AT_ERROR;
}

// The CME error number carried by hr, or -1 when hr is not a mapped CME error.
constexpr int CmeErrorFromHr(HRESULT hr)
{
    return hr >= HR_CME_ERROR_BASE && hr < HR_CME_ERROR_BASE + kCmeErrorSpan ? hr - HR_CME_ERROR_BASE : -1;
}

// True when the phone answered but refused the command (ERROR or +CME ERROR): it lacks the
// feature, as opposed to a line that failed.
constexpr bool PhoneRefused(HRESULT hr)
{
    return hr == HR_AT_ERROR || CmeErrorFromHr(hr) >= 0;
}

// A text the user can read for the phone's own codes; empty for codes it does not know.
std::string DescribePhoneError(HRESULT hr);

} // namespace corvina
