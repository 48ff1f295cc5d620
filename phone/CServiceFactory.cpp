// Creates phone-service objects by class id from the implementations named in the registry files.
#include "CServiceFactory.h"

#include "CAtCommandService.h"
#include "CAtRingtoneSettings.h"
#include "CFolderVolume.h"
#include "CObexVolume.h"
#include "CRecordingProgressDlg.h"
#include "CRegistryHelper.h"
#include "CTraceFile.h"
#include "ServiceClassIds.h"

#include <cctype>

namespace corvina {

CServiceFactory::CServiceFactory()
{
    m_constructors[kImplFolderVolume] = [] { return std::make_shared<CFolderVolume>(); };
    m_constructors[kImplObexVolume] = [] { return std::make_shared<CObexVolume>(); };
    m_constructors[kImplPhoneVolume] = []() -> std::shared_ptr<IServiceObject> {
        if (UseFolderVolume())
            return std::make_shared<CFolderVolume>();
        return std::make_shared<CObexVolume>();
    };
    m_constructors[kImplAtRingtoneSettings] = [] { return std::make_shared<CAtRingtoneSettings>(); };
    m_constructors[kImplAtCommandService] = [] { return std::make_shared<CAtCommandService>(); };
    m_constructors[kImplRecordingProgressWindow] = [] { return std::make_shared<CRecordingProgressDlg>(); };
}

bool CServiceFactory::UseFolderVolume()
{
    const Registry& registry = Registry::Instance();
    std::string kind = registry.GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Volume").value_or("auto");
    for (char& c : kind)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (kind == "folder")
        return true;
    if (kind == "obex")
        return false;
    if (kind != "auto")
        TheTrace().Trace(4, "Unknown \"Volume\"=\"%s\"; chosen as for \"auto\"", kind.c_str());
    return !registry.GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "VolumeRoot").value_or("").empty();
}

CServiceFactory& CServiceFactory::Instance()
{
    static CServiceFactory factory;
    return factory;
}

void CServiceFactory::RegisterImplementation(const std::string& name, Constructor constructor)
{
    std::lock_guard lock(m_lock);
    m_constructors[name] = std::move(constructor);
}

void CServiceFactory::UnregisterImplementation(const std::string& name)
{
    std::lock_guard lock(m_lock);
    m_constructors.erase(name);
}

std::string CServiceFactory::ImplementationFor(const std::string& clsid)
{
    return Registry::Instance()
        .GetString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\Corvina", "Implementation")
        .value_or(std::string());
}

HRESULT CServiceFactory::CreateInstance(const std::string& clsid, std::shared_ptr<IServiceObject>& object) const
{
    object.reset();
    const std::string name = ImplementationFor(clsid);
    Constructor constructor;
    {
        std::lock_guard lock(m_lock);
        if (auto found = m_constructors.find(name); !name.empty() && found != m_constructors.end())
            constructor = found->second;
    }
    if (!constructor) {
        TheTrace().Trace(5, "Service %s: no implementation (registered name \"%s\")", clsid.c_str(), name.c_str());
        return REGDB_E_CLASSNOTREG;
    }
    object = constructor();
    return object ? S_OK : E_OUTOFMEMORY;
}

} // namespace corvina
