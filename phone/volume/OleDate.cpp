// Conversion between system time and OLE automation dates.
#include "OleDate.h"

namespace corvina {

double OleDateFromTime(std::time_t t)
{
    // Day 0 is 30 December 1899; 25569 days lie between it and 1 January 1970. The listing shows
    // local time, so the zone's offset is added first.
    std::tm local{};
    localtime_r(&t, &local);
    const double seconds = static_cast<double>(t) + static_cast<double>(local.tm_gmtoff);
    return 25569.0 + seconds / 86400.0;
}

} // namespace corvina
