// Fuzz target for the PC player's own MIDI reader: any bytes are laid on its time line, as the file
// dialog's preview does with every file it plays. Times must never run backwards nor pass the longest
// time, and walking the events must give the count and the length the reading announced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "CMidiSchedule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    corvina::CMidiSchedule schedule;
    if (!schedule.Parse(std::move(bytes)))
        return 0;
    corvina::CMidiSchedule::CCursor cursor = schedule.Begin();
    corvina::SCHEDULED_EVENT e;
    std::int64_t last = 0, count = 0;
    while (cursor.Next(e)) {
        if (e.TimeUs < last || e.TimeUs > corvina::CMidiSchedule::kLongestTimeUs)
            std::abort();
        // A system-exclusive body is read where it lies; touching every byte lets the sanitizer check it.
        if (e.Status == 0xF0) {
            unsigned sum = 0;
            for (std::uint8_t b : e.Sysex)
                sum += b;
            if (sum > e.Sysex.size() * 255u)
                std::abort();
        } else if (!e.Sysex.empty()) {
            std::abort();
        }
        last = e.TimeUs;
        ++count;
    }
    if (count != schedule.EventCount() || schedule.LengthUs() < last || cursor.TimeUs() != schedule.LengthUs() ||
        schedule.LengthMs() < 0)
        std::abort();
    return 0;
}
