// The mapping from line types to the phone interface's line numbers.
#include "RingingLine.h"

namespace corvina {

eRingingLine RingingLineFromProfileType(int profileType)
{
    // Types 6 and 7 share line 1; Messages, Alarm and Alarm clock run in reverse (15, 14, 13).
    static constexpr int kLines[] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 14, 13, 16, 17, 18, 19, 20};
    if (profileType < 6 || profileType > 26)
        return eRingingLine{0};
    return eRingingLine{kLines[profileType - 6]};
}

} // namespace corvina
