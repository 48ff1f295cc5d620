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
};

inline std::vector<SENT_EVENT> AllEvents(const CMidiSchedule& schedule)
{
    std::vector<SENT_EVENT> sent;
    for (const SCHEDULED_EVENT& e : schedule.Events()) {
        SENT_EVENT s{e.TimeUs, e.Status, e.Data1, e.Data2, {}};
        if (e.Status == 0xF0)
            s.Sysex = schedule.Sysexes()[e.Sysex];
        sent.push_back(std::move(s));
    }
    return sent;
}

} // namespace corvina::test
