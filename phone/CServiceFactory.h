// Creates phone-service objects by class id; the registry files say which implementation serves
// each class id, so a test, a real phone and the virtual phone differ only by configuration.
#pragma once

#include "IServiceObject.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace corvina {

class CServiceFactory {
public:
    using Constructor = std::function<std::shared_ptr<IServiceObject>()>;

    // The process-wide factory, with the built-in implementations registered.
    static CServiceFactory& Instance();

    // Makes name available as an implementation; replaces an earlier one of the same name.
    void RegisterImplementation(const std::string& name, Constructor constructor);
    void UnregisterImplementation(const std::string& name);

    // The implementation name that the registry gives for the class id: the string "Implementation"
    // under HKEY_CLASSES_ROOT "CLSID\<clsid>\Corvina"; empty when none is registered.
    static std::string ImplementationFor(const std::string& clsid);

    // Creates an object of the class; REGDB_E_CLASSNOTREG when no registry file names an
    // implementation for it or the named implementation is not known in this process.
    HRESULT CreateInstance(const std::string& clsid, std::shared_ptr<IServiceObject>& object) const;

    // Creates, runs and asks for the interface T (E_NOINTERFACE when the object does not offer it).
    template <class T>
    HRESULT CreateInstance(const std::string& clsid, std::shared_ptr<T>& object) const
    {
        object.reset();
        std::shared_ptr<IServiceObject> created;
        if (HRESULT hr = CreateInstance(clsid, created); FAILED(hr))
            return hr;
        if (HRESULT hr = created->Run(); FAILED(hr))
            return hr;
        object = std::dynamic_pointer_cast<T>(created);
        return object ? S_OK : E_NOINTERFACE;
    }

    CServiceFactory();

    // Which volume "PhoneVolume" makes: "Volume"="folder"/"obex" under the suite root forces one;
    // otherwise ("auto") the folder volume when "VolumeRoot" is set.
    static bool UseFolderVolume();

private:
    mutable std::mutex m_lock;
    std::map<std::string, Constructor> m_constructors;
};

} // namespace corvina
