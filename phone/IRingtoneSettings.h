// The file that each ringing line of the phone plays.
#pragma once

#include "IServiceObject.h"

#include <cstdint>
#include <string>

namespace corvina {

class IRingtoneSettings : public IServiceObject {
public:
    // Slot 7: the line (profile line type 6..26) plays the file "A:\folder\name".
    virtual HRESULT SetActiveFile(std::int32_t line, const std::string& path) = 0;
    // Slot 8: the file the line plays; S_FALSE and an empty path when it plays none.
    virtual HRESULT GetActiveFile(std::int32_t line, std::string& path) = 0;
    // Slot 11: the serial port of the phone; HR_PORT_CANNOT_BE_READ when it cannot be opened.
    virtual HRESULT SetPort(const std::string& port) = 0;
};

} // namespace corvina
