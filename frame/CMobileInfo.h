// The host's record of the connected phone: five texts and a number; the editor reads the phone
// type and the IMEI (an empty IMEI means no phone).
#pragma once

#include <string>

namespace corvina {

struct CMobileInfo {
    std::string m_strManufacturer;
    std::string m_strPhoneType; // model or platform name; keys the phone profile
    std::string m_strImei;      // empty when no phone is connected
    std::string m_strRevision;
    std::string m_strPort;
    int m_nConnection = 0;
};

} // namespace corvina
