// The ringtone-assignment service over the shared phone link.
#include "CAtRingtoneSettings.h"

#include "AtAnswers.h"
#include "AtCommands.h"
#include "PhoneErrors.h"

namespace corvina {

HRESULT CAtRingtoneSettings::SetPort(const std::string& port)
{
    m_link = CAtLink::ForDevice(port);
    return m_link->CheckPort();
}

HRESULT CAtRingtoneSettings::SetActiveFile(std::int32_t line, const std::string& path)
{
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    auto command = atcmd::Format(atcmd::kSetActiveFile, {std::to_string(line), path});
    if (!command || path.empty())
        return E_INVALIDARG;
    return m_link->Command(*command);
}

HRESULT CAtRingtoneSettings::GetActiveFile(std::int32_t line, std::string& path)
{
    path.clear();
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    std::vector<std::string> info;
    if (HRESULT hr = m_link->Command(*atcmd::Format(atcmd::kGetActiveFile, {std::to_string(line)}), "^CAFL:", &info);
        FAILED(hr))
        return hr;
    auto answer = info.empty() ? std::nullopt : atanswer::NumberAndString(info.front(), "^CAFL:");
    if (!answer || answer->first != line)
        return HR_AT_GARBAGE;
    path = answer->second;
    return path.empty() ? S_FALSE : S_OK;
}

} // namespace corvina
