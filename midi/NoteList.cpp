// Pairs note-ons with their note-offs, walking each track's events once.
#include "NoteList.h"

#include "CMidiFile.h"
#include "CMidiTrack.h"

#include <algorithm>
#include <array>

namespace corvina {

std::vector<SMidiNote> CollectTrackNotes(const CMidiTrack& track, int nChannel)
{
    std::vector<SMidiNote> notes;
    // Per channel and key: the index of the sounding note in notes, or -1.
    std::array<std::array<std::int32_t, 128>, 16> sounding;
    for (auto& keys : sounding)
        keys.fill(-1);
    CMidiEvent event(nullptr);
    CMidiEventCursor cursor = track.GetEvents().Walk();
    std::uint32_t last = 0;
    while (cursor.Next(event)) {
        last = std::max(last, event.GetTime());
        const int channel = event.GetChannel();
        if (channel < 0 || (nChannel >= 0 && channel != nChannel))
            continue;
        const bool on = event.IsNoteOn();
        if (!on && !event.IsNoteOff())
            continue;
        std::uint8_t key = 0;
        if (!event.GetData1(key) || key > 127)
            continue;
        std::int32_t& open = sounding[static_cast<std::size_t>(channel)][key];
        if (open >= 0) {
            notes[static_cast<std::size_t>(open)].dwEndUs = event.GetTime();
            open = -1;
        }
        if (on) {
            std::uint8_t velocity = 0;
            event.GetData2(velocity);
            open = static_cast<std::int32_t>(notes.size());
            notes.push_back({event.GetTime(), event.GetTime(), key, velocity, static_cast<std::uint8_t>(channel),
                             track.GetTrackIndex()});
        }
    }
    for (const auto& keys : sounding)
        for (const std::int32_t open : keys)
            if (open >= 0)
                notes[static_cast<std::size_t>(open)].dwEndUs = last;
    std::stable_sort(notes.begin(), notes.end(), [](const SMidiNote& a, const SMidiNote& b) {
        return a.dwStartUs != b.dwStartUs ? a.dwStartUs < b.dwStartUs : a.byKey < b.byKey;
    });
    return notes;
}

std::vector<SMidiNote> CollectNotes(const CMidiFile& file, int nTrack, int nChannel)
{
    std::vector<SMidiNote> notes;
    for (int t = 0; t < file.GetTrackCount(); ++t) {
        if (nTrack >= 0 && t != nTrack)
            continue;
        if (const CMidiTrack* track = file.GetTrack(t)) {
            std::vector<SMidiNote> more = CollectTrackNotes(*track, nChannel);
            notes.insert(notes.end(), more.begin(), more.end());
        }
    }
    std::stable_sort(notes.begin(), notes.end(), [](const SMidiNote& a, const SMidiNote& b) {
        return a.dwStartUs != b.dwStartUs ? a.dwStartUs < b.dwStartUs : a.byKey < b.byKey;
    });
    return notes;
}

std::vector<SMidiNote> ClipNotes(const std::vector<SMidiNote>& notes, std::uint32_t dwFromUs, std::uint32_t dwToUs)
{
    std::vector<SMidiNote> clip;
    for (SMidiNote note : notes) {
        if (note.dwStartUs < dwFromUs || note.dwStartUs > dwToUs)
            continue;
        note.dwEndUs = std::min(note.dwEndUs, dwToUs);
        clip.push_back(note);
    }
    return clip;
}

} // namespace corvina
