// Finding the phone among the serial devices for "Port"="auto": a short AT exchange on each, the
// first that gives an IMEI is the phone.
#pragma once

#include <string>
#include <vector>

namespace corvina {

class CPortFinder {
public:
    // How long one device may take to answer while probing.
    static constexpr int kProbeTimeoutMs = 700;

    // /dev/ttyACM*, /dev/ttyUSB*, /dev/rfcomm*, in this order.
    static std::vector<std::string> DefaultPatterns();
    // The first device matching the patterns (in order, names sorted within each) that answers
    // AT+CGSN with an IMEI; empty when none does.
    static std::string FindPhonePort(const std::vector<std::string>& patterns);
    // The IMEI the device gives, or empty (no device, no phone, no IMEI).
    static std::string ProbeImei(const std::string& device);
};

} // namespace corvina
