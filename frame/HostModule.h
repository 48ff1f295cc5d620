// Texts that live in the host program rather than in the editor (its string 102 names the suite).
#pragma once

#include <string>

namespace corvina {

// A host's string table lookup; "" for an id it does not have.
using HostStringLookup = std::string (*)(unsigned id, long language);

// The host registers its lookup at start-up.
void SetHostStringLookup(HostStringLookup lookup);
// The host's string in the language, or "" when no host registered one.
std::string GetHostString(unsigned id, long language);

constexpr unsigned kHostSuiteNameId = 102;

} // namespace corvina
