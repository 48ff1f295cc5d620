// Candidate devices, their description by the system, and the probe of one device.
#include "PortProbe.h"

#include "AtAnswers.h"
#include "AtCommands.h"
#include "CAtLink.h"
#include "CRegistryHelper.h"
#include "PhoneErrors.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <glob.h>
#include <grp.h>
#include <libudev.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace corvina {
namespace {

constexpr int kProbeTimeoutMs = 700;

std::string Trim(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\t'))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    return text.substr(start);
}

int RealOpenCheck(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

std::string GroupOf(const std::string& device)
{
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return {};
    if (const group* owner = ::getgrgid(info.st_gid))
        return owner->gr_name;
    return std::to_string(info.st_gid);
}

// The first answer line of a command, without its prefix; "" when the command failed.
std::string Ask(CAtLink& link, const char* command, const char* prefix, HRESULT* result = nullptr)
{
    std::vector<std::string> lines;
    const HRESULT hr = link.Command(command, {}, &lines);
    if (result)
        *result = hr;
    if (FAILED(hr) || lines.empty())
        return {};
    return Trim(atanswer::PlainValue(lines.front(), prefix));
}

} // namespace

std::vector<std::string> ConfiguredPortPatterns()
{
    const std::string configured =
        Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, "PortCandidates").value_or("");
    std::vector<std::string> patterns;
    std::size_t start = 0;
    while (start <= configured.size()) {
        const std::size_t end = std::min(configured.find(';', start), configured.size());
        if (std::string pattern = Trim(configured.substr(start, end - start)); !pattern.empty())
            patterns.push_back(pattern);
        start = end + 1;
    }
    if (patterns.empty())
        patterns = {"/dev/ttyACM*", "/dev/ttyUSB*", "/dev/rfcomm*"};
    return patterns;
}

std::vector<std::string> ExpandPortPatterns(const std::vector<std::string>& patterns)
{
    std::vector<std::string> devices;
    std::set<std::string> seen;
    for (const std::string& pattern : patterns) {
        glob_t matches{};
        std::vector<std::string> found;
        if (::glob(pattern.c_str(), 0, nullptr, &matches) == 0)
            found.assign(matches.gl_pathv, matches.gl_pathv + matches.gl_pathc);
        ::globfree(&matches);
        std::sort(found.begin(), found.end());
        for (const std::string& device : found)
            if (seen.insert(device).second)
                devices.push_back(device);
    }
    return devices;
}

void DescribePort(SPortReport& report)
{
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(report.device, ec);
    if (ec)
        return;
    const std::string name = real.filename().string();
    // An rfcomm device knows the address it was bound to.
    if (name.rfind("rfcomm", 0) == 0) {
        std::ifstream address("/sys/class/tty/" + name + "/address");
        std::getline(address, report.bluetooth);
        report.bluetooth = Trim(report.bluetooth);
    }
    std::unique_ptr<udev, decltype(&udev_unref)> context(udev_new(), udev_unref);
    if (!context)
        return;
    std::unique_ptr<udev_device, decltype(&udev_device_unref)> dev(
        udev_device_new_from_subsystem_sysname(context.get(), "tty", name.c_str()), udev_device_unref);
    if (!dev)
        return;
    auto property = [&dev](const char* key) {
        const char* value = udev_device_get_property_value(dev.get(), key);
        return value ? std::string(value) : std::string();
    };
    report.usbMaker = property("ID_VENDOR_FROM_DATABASE");
    if (report.usbMaker.empty())
        report.usbMaker = property("ID_VENDOR");
    report.usbModel = property("ID_MODEL_FROM_DATABASE");
    if (report.usbModel.empty())
        report.usbModel = property("ID_MODEL");
    const std::string vendorId = property("ID_VENDOR_ID"), productId = property("ID_MODEL_ID");
    if (!vendorId.empty() && !productId.empty())
        report.usbId = vendorId + ":" + productId;
}

std::string FindPortHolder(const std::string& device)
{
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(device, ec);
    if (ec)
        return {};
    // Behind a pseudo-terminal the device itself (a virtual phone) holds both ends: a program that
    // holds a pseudo-terminal master is the device, not another user of it.
    const bool pseudo = real.string().rfind("/dev/pts/", 0) == 0;
    const std::string self = std::to_string(::getpid());
    const auto closeDir = [](DIR* dir) { ::closedir(dir); };
    std::unique_ptr<DIR, decltype(closeDir)> proc(::opendir("/proc"), closeDir);
    if (!proc)
        return {};
    while (const dirent* entry = ::readdir(proc.get())) {
        const std::string pid = entry->d_name;
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), ::isdigit) || pid == self)
            continue;
        bool holds = false, master = false;
        for (std::filesystem::directory_iterator fd("/proc/" + pid + "/fd", ec), end; !ec && fd != end;
             fd.increment(ec)) {
            std::error_code linkError;
            const std::filesystem::path target = std::filesystem::read_symlink(fd->path(), linkError);
            holds = holds || target == real;
            master = master || target == "/dev/ptmx" || target == "/dev/pts/ptmx";
        }
        ec.clear();
        if (holds && !(pseudo && master)) {
            std::ifstream comm("/proc/" + pid + "/comm");
            std::string name;
            std::getline(comm, name);
            return name.empty() ? pid : name;
        }
    }
    return {};
}

SPortReport ProbePort(const std::string& device, const PortOpenCheck& openCheck)
{
    SPortReport report;
    report.device = device;
    DescribePort(report);
    const int error = openCheck ? openCheck(device) : RealOpenCheck(device);
    if (error == EACCES || error == EPERM) {
        report.outcome = SPortReport::eOutcome::PermissionDenied;
        report.group = GroupOf(device);
        return report;
    }
    if (error == EBUSY) {
        report.outcome = SPortReport::eOutcome::Busy;
        report.holder = FindPortHolder(device);
        return report;
    }
    if (error != 0) {
        report.outcome = SPortReport::eOutcome::Missing;
        return report;
    }
    // Another program talking to it (a modem manager probing a new device) would garble the
    // exchange, and would be garbled by it.
    if (std::string holder = FindPortHolder(device); !holder.empty()) {
        report.outcome = SPortReport::eOutcome::Busy;
        report.holder = holder;
        return report;
    }
    // A link of its own with a short timeout, closed at once.
    CAtLink link(device);
    link.SetTimeoutMs(kProbeTimeoutMs);
    HRESULT hr = S_OK;
    report.imei = Ask(link, atcmd::kImei, "+CGSN:", &hr);
    const bool digits = report.imei.size() >= 14 && report.imei.size() <= 17 &&
                        std::all_of(report.imei.begin(), report.imei.end(), ::isdigit);
    if (!digits) {
        report.imei.clear();
        report.outcome = hr == HR_TIMEOUT ? SPortReport::eOutcome::Silent : SPortReport::eOutcome::NotAPhone;
        return report;
    }
    report.maker = Ask(link, atcmd::kManufacturer, "+CGMI:");
    report.model = Ask(link, atcmd::kModel, "+CGMM:");
    report.revision = Ask(link, atcmd::kRevision, "+CGMR:");
    report.outcome = SPortReport::eOutcome::Phone;
    return report;
}

} // namespace corvina
