// One exchange with the phone as every page makes it: a missing AT helper is E_POINTER, and a failure
// is traced under the operation's name and handed back, so the page goes on as the phone left it.
#pragma once

#include "CAtcHelperFunctions.h"
#include "CComError.h"

namespace corvina {

// Runs exchange(service), which returns an HRESULT, on the helper's AT command service; returns S_OK
// (or the success code) or the failure, which is traced under where.
template <class Exchange>
HRESULT RunOnPhone(CAtcHelperFunctions* helper, const char* where, Exchange&& exchange)
{
    try {
        if (!helper)
            CComError::ThrowCurrent(E_POINTER);
        return CComError::ThrowIfFailed(exchange(helper->Atc()));
    } catch (const ComError& error) {
        CComError::TraceComError(error, where);
        return error.Error();
    }
}

} // namespace corvina
