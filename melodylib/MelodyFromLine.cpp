// Quantising a line of timed notes into note values and rests, for the iMelody and RTTTL writers.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "MelodyLibrary.h"

namespace corvina {
namespace {

constexpr int kTicksPerQuarter = 96;
constexpr int kMinBeat = 25;
constexpr int kMaxBeat = 900;

struct NoteValue {
    int ticks;
    int duration; // 0 whole .. 5 thirty-second
    eDurationSpec dotting;
};

std::vector<NoteValue> ValuesOf(eNoteValues values)
{
    std::vector<NoteValue> all;
    for (int d = 0; d <= 5; ++d) {
        const int plain = 4 * kTicksPerQuarter >> d;
        // Simpler values first: among values equally near, the first listed wins.
        all.push_back({plain, d, eDurationSpec::Plain});
        all.push_back({plain * 3 / 2, d, eDurationSpec::Dotted});
        if (values == eNoteValues::iMelody) {
            all.push_back({plain * 2 / 3, d, eDurationSpec::Triplet});
            all.push_back({plain * 7 / 4, d, eDurationSpec::DoubleDotted});
        }
    }
    return all;
}

const NoteValue& Nearest(const std::vector<NoteValue>& values, double ticks)
{
    const NoteValue* best = &values.front();
    for (const NoteValue& v : values)
        if (std::abs(v.ticks - ticks) < std::abs(best->ticks - ticks))
            best = &v;
    return *best;
}

int FitKey(int key, int low, int high)
{
    while (key < low)
        key += 12;
    while (key > high)
        key -= 12;
    return key;
}

// RTTTL's four octaves hold few tunes as they are: the whole line moves by the octaves that leave the
// most notes in range (the smallest move among equals), so its shape survives; only the rest fold.
int OctaveShift(const std::vector<TimedNote>& line, int low, int high)
{
    int bestShift = 0;
    std::size_t bestInside = 0;
    for (int octaves : {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5}) {
        std::size_t inside = 0;
        for (const TimedNote& note : line)
            inside += note.Key + 12 * octaves >= low && note.Key + 12 * octaves <= high;
        if (inside > bestInside) {
            bestInside = inside;
            bestShift = 12 * octaves;
        }
    }
    return bestShift;
}

} // namespace

int BeatFromTempo(std::uint32_t usPerQuarter)
{
    if (usPerQuarter == 0)
        return 120;
    return static_cast<int>(std::clamp<long long>(std::llround(60e6 / usPerQuarter), kMinBeat, kMaxBeat));
}

Melody MelodyFromLine(const std::vector<TimedNote>& line, int beat, eNoteValues format, const std::string& name)
{
    Melody melody;
    melody.Version = "1.2";
    melody.Format = "CLASS1.0";
    melody.Name = name;
    melody.Beat = std::clamp(beat, kMinBeat, kMaxBeat);
    if (line.empty())
        return melody;

    const std::vector<NoteValue> values = ValuesOf(format);
    const NoteValue& shortest = *std::min_element(
        values.begin(), values.end(), [](const NoteValue& a, const NoteValue& b) { return a.ticks < b.ticks; });
    const NoteValue& longest = *std::max_element(
        values.begin(), values.end(), [](const NoteValue& a, const NoteValue& b) { return a.ticks < b.ticks; });
    const bool rtttl = format == eNoteValues::RTTTL;
    const int low = rtttl ? kLowestRtttlKey : kLowestiMelodyKey;
    const int high = rtttl ? kHighestRtttlKey : kHighestiMelodyKey;
    const int shift = rtttl ? OctaveShift(line, low, high) : 0;

    const double ticksPerUs = static_cast<double>(kTicksPerQuarter) * melody.Beat / 60e6;
    const std::uint32_t origin = line.front().StartUs;
    auto at = [&](std::uint32_t us) { return (static_cast<double>(us) - origin) * ticksPerUs; };
    auto add = [&](eMelodyItemKind kind, int key, const NoteValue& value) {
        MelodyItem item;
        item.Kind = kind;
        item.Key = key;
        item.Duration = value.duration;
        item.Dotting = value.dotting;
        melody.Items.push_back(item);
    };

    long written = 0; // ticks from the first note's start
    for (std::size_t i = 0; i < line.size(); ++i) {
        const TimedNote& note = line[i];
        const bool last = i + 1 == line.size();
        const double end = at(note.EndUs);
        const double next = last ? end : at(line[i + 1].StartUs);
        // A gap shorter than a thirty-second or a quarter of the note is how it was played, not a rest.
        const double noteEnd = !last && next - end < std::max(12.0, (end - at(note.StartUs)) / 4) ? next : end;
        const NoteValue& value = noteEnd - written > longest.ticks ? longest : Nearest(values, noteEnd - written);
        add(eMelodyItemKind::Note, FitKey(note.Key + shift, low, high), value);
        written += value.ticks;
        // Rests up to the next note, the longest value at a time, then the nearest to what is left.
        while (!last && next - written >= shortest.ticks / 2.0) {
            const NoteValue& rest = next - written > longest.ticks ? longest : Nearest(values, next - written);
            add(eMelodyItemKind::Rest, 0, rest);
            written += rest.ticks;
        }
    }
    return melody;
}

} // namespace corvina
