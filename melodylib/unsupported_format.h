// The melody library's error for input it cannot read; what() gives the reason.
#pragma once

#include <stdexcept>
#include <string>

namespace corvina {

class unsupported_format : public std::runtime_error {
public:
    explicit unsupported_format(const std::string& reason) : std::runtime_error(reason) {}
};

} // namespace corvina
