// Raising, tracing and reporting failed phone operations.
#include "CComError.h"

#include "CTraceFile.h"
#include "PhoneErrors.h"
#include "UiServices.h"

namespace corvina {

std::string DescribePhoneError(HRESULT hr)
{
    if (int n = CmeErrorFromHr(hr); n >= 0)
        return "The phone reported error " + std::to_string(n) + ".";
    switch (hr) {
    case HR_AT_ERROR: return "The phone refused the command.";
    case HR_AT_GARBAGE: return "The phone gave an answer that cannot be read.";
    case HR_TIMEOUT: return "The phone did not answer in time.";
    case HR_DEVICE_NOT_CONNECTED: return "The phone is not connected.";
    case HR_PATH_NOT_FOUND: return "The file or folder was not found on the phone.";
    case HR_ALREADY_EXISTS: return "A file of that name is already on the phone.";
    case HR_DISK_FULL: return "The phone has no room for the file.";
    case HR_PORT_CANNOT_BE_READ: return "The phone's port cannot be opened.";
    default: return {};
    }
}

void CComError::ThrowCurrent(HRESULT hr)
{
    throw ComError(hr, DescribePhoneError(hr));
}

HRESULT CComError::ThrowIfFailed(HRESULT hr)
{
    if (FAILED(hr))
        ThrowCurrent(hr);
    return hr;
}

void CComError::TraceComError(const ComError& error, const char* where)
{
    TheTrace().Trace(kTraceLevel, "COM error %s in %s: %s", HResultText(error.Error()).c_str(),
                     where ? where : "phone operation", error.ErrorMessage().c_str());
}

void CComError::ReportError(const ComError& error)
{
    Ui().MessageBox(error.ErrorMessage(), "Corvina", MB_OK);
}

} // namespace corvina
