// Raising, tracing and reporting failed phone operations, the way every user operation handles them.
#pragma once

#include "HResult.h"

#include <string>

namespace corvina {

class CComError {
public:
    // The trace level at which TraceComError writes.
    static constexpr int kTraceLevel = 1;

    // Throws a ComError carrying hr (and a readable text for the phone's own codes).
    [[noreturn]] static void ThrowCurrent(HRESULT hr);
    // Throws when hr is a failure; otherwise returns hr.
    static HRESULT ThrowIfFailed(HRESULT hr);
    // Writes the error's code and text to the trace file; where names the operation that caught it.
    static void TraceComError(const ComError& error, const char* where = nullptr);
    // Shows the error's text in a message box with an OK button.
    static void ReportError(const ComError& error);
};

} // namespace corvina
