// An AT helper that talks to a virtual phone over its pseudo-terminal, as a page's kept helper does.
#pragma once

#include "CAtCommandService.h"
#include "CAtcHelperFunctions.h"
#include "VirtualPhone.h"

#include <memory>

namespace corvina::test {

inline std::unique_ptr<CAtcHelperFunctions> AtHelperOn(const VirtualPhone& phone)
{
    auto service = std::make_shared<CAtCommandService>();
    service->SetPort(phone.Port());
    return std::make_unique<CAtcHelperFunctions>(service);
}

} // namespace corvina::test
