// Watching for the phone: candidates are probed when they appear and once each, so a modem or a
// board on a serial port is disturbed by one probe only; the found phone is asked at an interval
// through the shared link, so detection never interleaves with the editor's own commands.
#include "PhoneDetector.h"

#include "CAtLink.h"
#include "CRegistryHelper.h"
#include "CTraceFile.h"
#include "PhoneErrors.h"

#include <cctype>
#include <filesystem>
#include <libudev.h>
#include <memory>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
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

// Which file a path names now: a device plugged again, or a link made anew, is another file.
std::uint64_t Identity(const std::string& path)
{
    struct stat target {
    }, link{};
    if (::stat(path.c_str(), &target) != 0 || ::lstat(path.c_str(), &link) != 0)
        return 0;
    return (static_cast<std::uint64_t>(target.st_rdev) * 1000003u) ^ (static_cast<std::uint64_t>(target.st_ino) << 20) ^
           static_cast<std::uint64_t>(link.st_ino) ^ static_cast<std::uint64_t>(link.st_ctime);
}

// The folders whose entries are the candidates (or the chosen port).
std::set<std::string> WatchedFolders(const std::vector<std::string>& patterns, bool withDev)
{
    std::set<std::string> folders;
    for (const std::string& pattern : patterns) {
        const std::string folder = std::filesystem::path(pattern).parent_path().string();
        if (!folder.empty() && (withDev || folder != "/dev"))
            folders.insert(folder);
    }
    return folders;
}

struct Settings {
    bool automatic = true;
    std::vector<std::string> patterns; // the candidates' patterns, or the chosen port alone
};

Settings ReadSettings()
{
    Settings settings;
    const std::string port = Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "Port").value_or("");
    settings.automatic = port.empty() || port == CAtLink::kAutoPort;
    settings.patterns = settings.automatic ? ConfiguredPortPatterns() : std::vector<std::string>{port};
    return settings;
}

// How much a failure is worth telling: the one that needs the user's action first.
int Weight(SPortReport::eOutcome outcome)
{
    switch (outcome) {
    case SPortReport::eOutcome::PermissionDenied: return 4;
    case SPortReport::eOutcome::Busy: return 3;
    case SPortReport::eOutcome::NotAPhone:
    case SPortReport::eOutcome::Silent: return 2;
    default: return 0;
    }
}

} // namespace

PhoneDetector::PhoneDetector(Report report, StatusReport status, PortOpenCheck openCheck)
    : m_report(std::move(report)), m_status(std::move(status)), m_openCheck(std::move(openCheck))
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
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_thread = std::thread([this, intervalMs] { Run(intervalMs); });
}

void PhoneDetector::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    if (m_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
    }
    if (m_thread.joinable())
        m_thread.join();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    m_wakeFd = -1;
}

void PhoneDetector::Rescan()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_rescan = true;
    }
    if (m_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
    }
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

void PhoneDetector::SetStatus(const SPhoneStatus& status)
{
    if (m_statusSent && status == m_lastStatus)
        return;
    m_lastStatus = status;
    m_statusSent = true;
    if (m_status)
        m_status(status);
}

void PhoneDetector::ReportRecord(const CMobileInfo& record)
{
    const bool changed = record.m_strImei != m_lastImei || record.m_strPhoneType != m_lastType;
    // A phone that was never there is not reported as gone.
    if (!changed || (record.m_strImei.empty() && !m_reportedPhone))
        return;
    m_lastImei = record.m_strImei;
    m_lastType = record.m_strPhoneType;
    m_reportedPhone = true;
    m_report(new CMobileInfo(record));
}

bool PhoneDetector::Scan()
{
    const Settings settings = ReadSettings();
    m_auto = settings.automatic;
    const std::vector<std::string> candidates = ExpandPortPatterns(settings.patterns);
    for (auto it = m_probed.begin(); it != m_probed.end();)
        it = std::find(candidates.begin(), candidates.end(), it->first) == candidates.end() ? m_probed.erase(it)
                                                                                            : std::next(it);
    const auto now = std::chrono::steady_clock::now();
    const SPortReport* worst = nullptr;
    for (const std::string& device : candidates) {
        const std::uint64_t identity = Identity(device);
        auto known = m_probed.find(device);
        const bool retry = known != m_probed.end() &&
                           (known->second.report.outcome == SPortReport::eOutcome::Busy ||
                            known->second.report.outcome == SPortReport::eOutcome::Silent ||
                            known->second.report.outcome == SPortReport::eOutcome::Phone) &&
                           now - known->second.when >= std::chrono::milliseconds(kRetryMs);
        if (known == m_probed.end() || known->second.identity != identity || retry) {
            SetStatus({SPhoneStatus::eState::Looking, {}});
            SProbed probed{identity, ProbePort(device, m_openCheck), now};
            TheTrace().Trace(4, "Port probe %s: outcome %d", device.c_str(), static_cast<int>(probed.report.outcome));
            known = m_probed.insert_or_assign(device, probed).first;
        }
        const SPortReport& report = known->second.report;
        if (report.outcome == SPortReport::eOutcome::Phone) {
            m_port = device;
            if (m_auto)
                CAtLink::SetAutoDevice(device);
            CMobileInfo record;
            record.m_strManufacturer = report.maker;
            record.m_strPhoneType = report.model;
            record.m_strImei = report.imei;
            record.m_strRevision = report.revision;
            record.m_strPort = device;
            m_nSilentLooks = 0;
            ReportRecord(record);
            SetStatus({SPhoneStatus::eState::Connected, report});
            return true;
        }
        if (!worst || Weight(report.outcome) > Weight(worst->outcome))
            worst = &report;
    }
    if (m_auto)
        CAtLink::SetAutoDevice({});
    ReportRecord({});
    if (!worst || Weight(worst->outcome) == 0) {
        SetStatus({SPhoneStatus::eState::NoPhone, {}});
        return false;
    }
    SPhoneStatus status{SPhoneStatus::eState::NotAPhone, *worst};
    if (worst->outcome == SPortReport::eOutcome::PermissionDenied)
        status.state = SPhoneStatus::eState::PermissionDenied;
    else if (worst->outcome == SPortReport::eOutcome::Busy)
        status.state = SPhoneStatus::eState::Busy;
    SetStatus(status);
    return false;
}

bool PhoneDetector::CheckPhone()
{
    CMobileInfo found;
    const eLook look = Look(m_port, found);
    ++m_nLooks;
    // A line in use, or a phone slow to answer, is no unplugged phone: the editor is left alone
    // until the phone answers again or stays silent look after look.
    bool gone = look == eLook::NoPhone;
    if (look == eLook::Silent)
        gone = ++m_nSilentLooks >= kSilentLooksBeforeGone;
    else if (look != eLook::Busy)
        m_nSilentLooks = 0;
    if (look == eLook::Phone && found.m_strImei != m_lastImei) {
        // Another phone answers at the same device: it is looked at anew.
        gone = true;
    }
    if (!gone)
        return true;
    m_probed.erase(m_port);
    m_port.clear();
    if (m_auto)
        CAtLink::SetAutoDevice({});
    ReportRecord({});
    return false;
}

void PhoneDetector::Run(int intervalMs)
{
    // Device arrivals: udev for devices in /dev; the folders of other candidates (and /dev itself
    // where udev cannot be reached) through inotify.
    std::unique_ptr<udev, decltype(&udev_unref)> context(udev_new(), udev_unref);
    std::unique_ptr<udev_monitor, decltype(&udev_monitor_unref)> monitor(
        context ? udev_monitor_new_from_netlink(context.get(), "udev") : nullptr, udev_monitor_unref);
    if (monitor && (udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "tty", nullptr) < 0 ||
                    udev_monitor_enable_receiving(monitor.get()) < 0))
        monitor.reset();
    const int inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    std::set<std::string> watched;

    bool scan = true;
    bool check = false;
    while (true) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stop)
                break;
            if (m_rescan) {
                m_rescan = false;
                m_probed.clear();
                if (!m_port.empty()) {
                    m_port.clear();
                    ReportRecord({});
                }
                scan = true;
            }
        }
        const Settings settings = ReadSettings();
        for (const std::string& folder : WatchedFolders(settings.patterns, !monitor))
            if (inotify >= 0 && watched.insert(folder).second)
                ::inotify_add_watch(inotify, folder.c_str(),
                                    IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB);
        if (!m_port.empty() && (check || !scan))
            scan = !CheckPhone();
        if (m_port.empty() && scan)
            Scan();
        scan = false;
        check = false;

        // Connected: the phone is asked again after the interval. Not connected: only a device
        // event wakes the search, or the retry of a busy or silent candidate.
        int timeoutMs = m_port.empty() ? -1 : intervalMs;
        for (const auto& [device, probed] : m_probed)
            if (m_port.empty() && (probed.report.outcome == SPortReport::eOutcome::Busy ||
                                   probed.report.outcome == SPortReport::eOutcome::Silent))
                timeoutMs = kRetryMs;
        pollfd fds[3] = {{m_wakeFd, POLLIN, 0},
                         {monitor ? udev_monitor_get_fd(monitor.get()) : -1, POLLIN, 0},
                         {inotify, POLLIN, 0}};
        const int ready = ::poll(fds, 3, timeoutMs);
        if (ready == 0) {
            scan = m_port.empty();
            continue;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto got = ::read(m_wakeFd, &count, sizeof count);
        }
        if (fds[1].revents & POLLIN) {
            while (udev_device* device = udev_monitor_receive_device(monitor.get())) {
                udev_device_unref(device);
                scan = check = true;
            }
        }
        if (fds[2].revents & POLLIN) {
            char buffer[4096];
            while (::read(inotify, buffer, sizeof buffer) > 0)
                scan = check = true;
        }
        // A device event while the phone is connected may be the phone's: ask it now.
        if (!m_port.empty() && check)
            scan = false;
    }
    if (inotify >= 0)
        ::close(inotify);
}

} // namespace corvina
