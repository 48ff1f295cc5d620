// Probing serial devices for the phone.
#include "CPortFinder.h"

#include "AtAnswers.h"
#include "AtCommands.h"
#include "CAtLink.h"
#include "CTraceFile.h"

#include <algorithm>
#include <glob.h>

namespace corvina {

std::vector<std::string> CPortFinder::DefaultPatterns()
{
    return {"/dev/ttyACM*", "/dev/ttyUSB*", "/dev/rfcomm*"};
}

std::string CPortFinder::ProbeImei(const std::string& device)
{
    // A link of its own with a short timeout, closed at once: the probed device may be a modem
    // or anything else that must not be kept open.
    CAtLink link(device);
    link.SetTimeoutMs(kProbeTimeoutMs);
    std::vector<std::string> lines;
    if (FAILED(link.Command(atcmd::kImei, {}, &lines)) || lines.empty())
        return {};
    std::string imei = atanswer::PlainValue(lines.front(), "+CGSN:");
    const bool digits = imei.size() >= 14 && imei.size() <= 17 &&
                        std::all_of(imei.begin(), imei.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? imei : std::string();
}

std::string CPortFinder::FindPhonePort(const std::vector<std::string>& patterns)
{
    for (const std::string& pattern : patterns) {
        glob_t matches{};
        if (::glob(pattern.c_str(), 0, nullptr, &matches) == 0) {
            std::vector<std::string> devices(matches.gl_pathv, matches.gl_pathv + matches.gl_pathc);
            ::globfree(&matches);
            std::sort(devices.begin(), devices.end());
            for (const std::string& device : devices) {
                const std::string imei = ProbeImei(device);
                TheTrace().Trace(4, "Port probe %s: %s", device.c_str(), imei.empty() ? "no phone" : imei.c_str());
                if (!imei.empty())
                    return device;
            }
        } else {
            ::globfree(&matches);
        }
    }
    return {};
}

} // namespace corvina
