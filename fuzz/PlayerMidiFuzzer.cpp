// Fuzz target for the PC player's own MIDI reader: any bytes are laid on its time line, as the file
// dialog's preview does with every file it plays. Times must never run backwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "CMidiSchedule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    corvina::CMidiSchedule schedule;
    if (!schedule.Parse(bytes))
        return 0;
    std::int64_t last = 0;
    for (const corvina::SCHEDULED_EVENT& e : schedule.Events()) {
        if (e.TimeUs < last || e.TimeUs > corvina::CMidiSchedule::kLongestTimeUs)
            std::abort();
        if (e.Status == 0xF0 && e.Sysex >= schedule.Sysexes().size())
            std::abort();
        last = e.TimeUs;
    }
    if (schedule.LengthUs() < last || schedule.LengthMs() < 0)
        std::abort();
    return 0;
}
