// The ringtone-assignment service over the shared phone link: the file each ringing line plays.
#pragma once

#include "CAtLink.h"
#include "IRingtoneSettings.h"

#include <memory>

namespace corvina {

class CAtRingtoneSettings : public IRingtoneSettings {
public:
    HRESULT SetActiveFile(std::int32_t line, const std::string& path) override;
    HRESULT GetActiveFile(std::int32_t line, std::string& path) override;
    HRESULT SetPort(const std::string& port) override;

private:
    std::shared_ptr<CAtLink> m_link;
};

} // namespace corvina
