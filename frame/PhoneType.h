// Tests on a phone type that choose behaviour across the editor: the platform family, the
// platform that does not support the editor, and model codes.
#pragma once

#include <string>

namespace corvina {

// The platform family: the type contains "BIRCH" (with case) or equals "MOSAIC" ignoring case.
bool IsBirchFamily(const std::string& phoneType);
// The narrower test used for the iMelody folder and the folder list: contains "BIRCH" (with case).
bool ContainsBirch(const std::string& phoneType);
// The platform without editor support: exactly "ASPEN".
bool IsAspen(const std::string& phoneType);
// Whole-string comparison ignoring ASCII case.
bool EqualsNoCase(const std::string& a, const std::string& b);

} // namespace corvina
