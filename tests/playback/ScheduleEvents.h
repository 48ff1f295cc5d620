// Everything a schedule sends to the synthesizer, copied out in playing order, for tests to compare.
#pragma once

#include <cstdint>
#include <vector>

#include "CMidiSchedule.h"

namespace corvina::test {

// One event as the synthesizer receives it.
struct SENT_EVENT {
    std::int64_t TimeUs = 0;
    std::uint8_t Status = 0;
    std::uint8_t Data1 = 0;
    std::uint8_t Data2 = 0;
    std::vector<std::uint8_t> Sysex; // body of a system-exclusive event

    bool operator==(const SENT_EVENT&) const = default;
};

inline std::vector<SENT_EVENT> AllEvents(const CMidiSchedule& schedule)
{
    std::vector<SENT_EVENT> sent;
    CMidiSchedule::CCursor cursor = schedule.Begin();
    SCHEDULED_EVENT e;
    while (cursor.Next(e))
        sent.push_back(SENT_EVENT{e.TimeUs, e.Status, e.Data1, e.Data2, {e.Sysex.begin(), e.Sysex.end()}});
    return sent;
}

} // namespace corvina::test
