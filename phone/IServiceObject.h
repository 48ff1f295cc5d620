// The common base of every phone-service object that the service factory creates.
#pragma once

#include "HResult.h"

namespace corvina {

class IServiceObject {
public:
    virtual ~IServiceObject() = default;
    // Puts a freshly created object into its running state (opens nothing that SetPort opens).
    virtual HRESULT Run() { return S_OK; }
};

} // namespace corvina
