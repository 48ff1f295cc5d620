// Texts for result codes.
#include "HResult.h"

#include <cstdio>

namespace corvina {

std::string HResultText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

ComError::ComError(HRESULT hr, const std::string& description)
    : std::runtime_error(description.empty() ? "COM error " + HResultText(hr) : description), m_hr(hr),
      m_description(description)
{
}

std::string ComError::ErrorMessage() const
{
    if (!m_description.empty())
        return m_description;
    switch (m_hr) {
    case E_POINTER: return "Invalid pointer";
    case E_FAIL: return "Unspecified error";
    case E_ACCESSDENIED: return "Access is denied.";
    case E_INVALIDARG: return "The parameter is incorrect.";
    case E_OUTOFMEMORY: return "Not enough memory resources are available to complete this operation.";
    case E_ABORT: return "Operation aborted";
    case REGDB_E_CLASSNOTREG: return "Class not registered";
    case HR_PHONE_BUSY: return "The phone is busy.";
    default: return "Unknown error " + HResultText(m_hr);
    }
}

} // namespace corvina
