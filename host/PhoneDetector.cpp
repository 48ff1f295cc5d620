// Polling the phone through the shared link, so detection never interleaves with the editor's
// own commands on the wire.
#include "PhoneDetector.h"

#include "CAtLink.h"
#include "CRegistryHelper.h"
#include "PhoneErrors.h"

#include <cctype>
#include <vector>

namespace corvina {
namespace {

// The first answer line, without a "+CGSN: " style prefix and surrounding blanks.
std::string AnswerValue(const std::vector<std::string>& lines, const std::string& prefix)
{
    for (std::string line : lines) {
        if (line.rfind(prefix, 0) == 0)
            line = line.substr(prefix.size());
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        std::size_t start = 0;
        while (start < line.size() && (std::isspace(static_cast<unsigned char>(line[start])) || line[start] == '"'))
            ++start;
        line = line.substr(start);
        if (!line.empty() && line.back() == '"')
            line.pop_back();
        if (!line.empty())
            return line;
    }
    return {};
}

} // namespace

PhoneDetector::PhoneDetector(Report report)
    : m_report(std::move(report))
{
}

PhoneDetector::~PhoneDetector()
{
    Stop();
}

void PhoneDetector::Start(int intervalMs)
{
    if (m_thread.joinable())
        return;
    if (intervalMs <= 0) {
        const auto configured = Registry::Instance().GetDword(HKEY_LOCAL_MACHINE, kSuiteRootKey, "DetectIntervalMs");
        intervalMs = configured && *configured > 0 ? *configured : 2000;
    }
    m_stop = false;
    m_thread = std::thread([this, intervalMs] { Run(intervalMs); });
}

void PhoneDetector::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

PhoneDetector::eLook PhoneDetector::Look(const std::string& port, CMobileInfo& info)
{
    info = CMobileInfo();
    if (port.empty())
        return eLook::NoPhone;
    std::shared_ptr<CAtLink> link = CAtLink::ForDevice(port);
    std::string imei, model;
    const HRESULT hr = link->Transaction([&](CAtLink::Session& session) {
        std::vector<std::string> lines;
        HRESULT result = session.Command("AT+CGSN", "", &lines);
        if (FAILED(result))
            return result;
        imei = AnswerValue(lines, "+CGSN:");
        lines.clear();
        result = session.Command("AT+CGMM", "", &lines);
        if (FAILED(result))
            return result;
        model = AnswerValue(lines, "+CGMM:");
        return S_OK;
    });
    if (SUCCEEDED(hr) && !imei.empty()) {
        info.m_strImei = imei;
        info.m_strPhoneType = model;
        info.m_strPort = port;
        return eLook::Phone;
    }
    if (hr == HR_PHONE_BUSY)
        return eLook::Busy;
    if (hr == HR_TIMEOUT)
        return eLook::Silent;
    return eLook::NoPhone;
}

CMobileInfo PhoneDetector::Probe(const std::string& port)
{
    CMobileInfo info;
    Look(port, info);
    return info;
}

void PhoneDetector::Run(int intervalMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        std::string port;
        CRegistryHelper().bGetStringFromRegistry(port, "Port", HKEY_LOCAL_MACHINE, kSuiteRootKey);
        CMobileInfo found;
        const eLook look = Look(port, found);
        ++m_nLooks;
        // A line in use, or a phone slow to answer, is no unplugged phone: the editor is left alone
        // until the phone answers again or stays silent look after look.
        bool conclusive = look == eLook::Phone || look == eLook::NoPhone;
        if (look == eLook::Silent)
            conclusive = ++m_nSilentLooks >= kSilentLooksBeforeGone;
        else if (look != eLook::Busy)
            m_nSilentLooks = 0;
        const bool changed = found.m_strImei != m_lastImei || found.m_strPhoneType != m_lastType;
        // A phone that was never there is not reported as gone.
        if (conclusive && changed && (!found.m_strImei.empty() || m_reportedPhone)) {
            m_lastImei = found.m_strImei;
            m_lastType = found.m_strPhoneType;
            m_reportedPhone = true;
            m_report(new CMobileInfo(found));
        }
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(intervalMs), [this] { return m_stop; });
    }
}

} // namespace corvina
