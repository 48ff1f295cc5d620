// The voice count as one sweep over the notes' starts and ends.
#include "Voices.h"

#include <algorithm>
#include <utility>

namespace corvina {

SVoicePeak PeakVoices(const std::vector<SMidiNote>& notes)
{
    // (time, +1 start / -1 end); at one moment the ends sort before the starts, so a voice that is
    // handed on is not counted twice.
    std::vector<std::pair<std::uint32_t, int>> edges;
    edges.reserve(notes.size() * 2);
    for (const SMidiNote& note : notes) {
        if (note.dwEndUs <= note.dwStartUs)
            continue;
        edges.emplace_back(note.dwStartUs, 1);
        edges.emplace_back(note.dwEndUs, -1);
    }
    std::sort(edges.begin(), edges.end());
    SVoicePeak peak;
    int sounding = 0;
    for (const auto& [time, step] : edges) {
        sounding += step;
        if (sounding > peak.nVoices) {
            peak.nVoices = sounding;
            peak.dwAtUs = time;
        }
    }
    return peak;
}

} // namespace corvina
