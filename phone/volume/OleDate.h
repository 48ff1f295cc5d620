// Conversion between system time and OLE automation dates (days since 30 December 1899, local time).
#pragma once

#include <ctime>

namespace corvina {

// The OLE automation date of a time_t, in local time as the phone's listing gives it.
double OleDateFromTime(std::time_t t);

} // namespace corvina
