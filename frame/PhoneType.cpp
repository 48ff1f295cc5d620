// Phone-type tests.
#include "PhoneType.h"

#include <algorithm>
#include <cctype>

namespace corvina {

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool ContainsBirch(const std::string& phoneType)
{
    return phoneType.find("BIRCH") != std::string::npos;
}

bool IsBirchFamily(const std::string& phoneType)
{
    return ContainsBirch(phoneType) || EqualsNoCase(phoneType, "MOSAIC");
}

bool IsAspen(const std::string& phoneType)
{
    return phoneType == "ASPEN";
}

} // namespace corvina
