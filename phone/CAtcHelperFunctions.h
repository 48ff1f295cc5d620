// The AT helper object that the pages keep: it holds the AT command service as its interface pointer.
#pragma once

#include "IAtCommandService.h"

#include <memory>

namespace corvina {

class CAtcHelperFunctions {
public:
    // Creates the AT command service through the factory and sets the registry's "Port" on it; the
    // pointer stays null when the service cannot be created (the failure is traced).
    CAtcHelperFunctions();
    // Holds the given service (null allowed), for tests and for callers that made their own.
    explicit CAtcHelperFunctions(std::shared_ptr<IAtCommandService> service);
    virtual ~CAtcHelperFunctions();

    // The interface pointer, possibly null.
    IAtCommandService* GetInterface() const { return m_pAtc.get(); }
    // The service; a null pointer is raised as the COM error E_POINTER.
    IAtCommandService& Atc() const;

private:
    std::shared_ptr<IAtCommandService> m_pAtc;
};

} // namespace corvina
