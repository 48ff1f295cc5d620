// The host's string lookup, registered once by the host program.
#include "HostModule.h"

#include <atomic>

namespace corvina {
namespace {
std::atomic<HostStringLookup> g_lookup{nullptr};
}

void SetHostStringLookup(HostStringLookup lookup)
{
    g_lookup = lookup;
}

std::string GetHostString(unsigned id, long language)
{
    HostStringLookup lookup = g_lookup.load();
    return lookup ? lookup(id, language) : std::string();
}

} // namespace corvina
