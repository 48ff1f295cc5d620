// Setting up the phone services for one operation: create, run, set the port.
#include "ServiceInit.h"

#include "CComError.h"
#include "CRegistryHelper.h"
#include "CServiceFactory.h"
#include "ServiceClassIds.h"
#include "UiServices.h"

namespace corvina {

namespace {

template <class T>
bool InitServicePtr(std::shared_ptr<T>& service, const char* clsid, const char* where, HRESULT* failure)
{
    service.reset();
    if (failure)
        *failure = S_OK;
    try {
        std::shared_ptr<T> created;
        CComError::ThrowIfFailed(CServiceFactory::Instance().CreateInstance(clsid, created));
        if (auto port = Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port")) {
            // The port code is not negative, yet it means the port is unusable.
            HRESULT hr = created->SetPort(*port);
            if (FAILED(hr) || hr == HR_PORT_CANNOT_BE_READ)
                CComError::ThrowCurrent(hr);
        }
        service = std::move(created);
        return true;
    } catch (const ComError& error) {
        CComError::TraceComError(error, where);
        if (failure)
            *failure = error.Error();
        return false;
    }
}

} // namespace

bool InitMbxVolPtr(std::shared_ptr<IMBXVolume>& volume, HRESULT* failure)
{
    return InitServicePtr(volume, CLSID_MBXVolume, "InitMbxVolPtr", failure);
}

bool InitRtSettingsPtr(std::shared_ptr<IRingtoneSettings>& settings, HRESULT* failure)
{
    return InitServicePtr(settings, CLSID_RingtoneSettings, "InitRtSettingsPtr", failure);
}

bool ReportPortCannotBeRead(HRESULT failure)
{
    if (failure != HR_PORT_CANNOT_BE_READ)
        return false;
    Ui().MessageBox(kPortCannotBeReadText, "", MB_OK);
    return true;
}

} // namespace corvina
