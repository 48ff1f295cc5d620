// The AT helper object that the pages keep.
#include "CAtcHelperFunctions.h"

#include "CComError.h"
#include "CRegistryHelper.h"
#include "CServiceFactory.h"
#include "ServiceClassIds.h"

namespace corvina {

CAtcHelperFunctions::CAtcHelperFunctions()
{
    try {
        std::shared_ptr<IAtCommandService> service;
        CComError::ThrowIfFailed(CServiceFactory::Instance().CreateInstance(CLSID_AtCommandService, service));
        if (auto port = Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port")) {
            // A port that cannot be opened now may come back; the service keeps it and each
            // command reports the link's state.
            if (HRESULT hr = service->SetPort(*port); FAILED(hr))
                CComError::ThrowCurrent(hr);
        }
        m_pAtc = std::move(service);
    } catch (const ComError& error) {
        CComError::TraceComError(error, "CAtcHelperFunctions");
    }
}

CAtcHelperFunctions::CAtcHelperFunctions(std::shared_ptr<IAtCommandService> service) : m_pAtc(std::move(service)) {}

CAtcHelperFunctions::~CAtcHelperFunctions() = default;

IAtCommandService& CAtcHelperFunctions::Atc() const
{
    if (!m_pAtc)
        CComError::ThrowCurrent(E_POINTER);
    return *m_pAtc;
}

} // namespace corvina
