// The mapping of OBEX response codes to HRESULTs.
#include "ObexProtocol.h"

#include "PhoneErrors.h"

#include <cstdio>

namespace corvina::obex {

HRESULT HrFromResponse(std::uint8_t code)
{
    switch (code) {
    case kRspSuccess:
    case kRspCreated: return S_OK;
    case kRspUnauthorized:
    case kRspForbidden: return E_ACCESSDENIED;
    case kRspNotFound: return HR_PATH_NOT_FOUND;
    case kRspNotImplemented: return E_NOTIMPL;
    case kRspBadRequest:
    case kRspNotAcceptable:
    case kRspLengthRequired:
    case kRspPreconditionFailed: return E_INVALIDARG;
    case kRspConflict: return HR_ALREADY_EXISTS;
    case kRspEntityTooLarge:
    case kRspDatabaseFull: return HR_DISK_FULL;
    case kRspServiceUnavailable: return HR_PHONE_BUSY;
    default: return E_FAIL;
    }
}

std::string ResponseName(std::uint8_t code)
{
    switch (code) {
    case kRspContinue: return "Continue";
    case kRspSuccess: return "Success";
    case kRspCreated: return "Created";
    case kRspBadRequest: return "Bad Request";
    case kRspUnauthorized: return "Unauthorized";
    case kRspForbidden: return "Forbidden";
    case kRspNotFound: return "Not Found";
    case kRspNotAcceptable: return "Not Acceptable";
    case kRspConflict: return "Conflict";
    case kRspLengthRequired: return "Length Required";
    case kRspPreconditionFailed: return "Precondition Failed";
    case kRspEntityTooLarge: return "Request Entity Too Large";
    case kRspInternalError: return "Internal Server Error";
    case kRspNotImplemented: return "Not Implemented";
    case kRspServiceUnavailable: return "Service Unavailable";
    case kRspDatabaseFull: return "Database Full";
    default: {
        char text[8];
        std::snprintf(text, sizeof text, "0x%02X", code);
        return text;
    }
    }
}

} // namespace corvina::obex
