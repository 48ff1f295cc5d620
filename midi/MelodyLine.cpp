// Finding the sung line of a clip: voice features and their score, the top line of a voice, the plain
// skyline, and the phrase-end cut for a phone's note limit.
#include "MelodyLine.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace corvina {

namespace {

// A note of the line still sounding this long after a lower strike is held over it, not merely legato.
constexpr std::uint32_t kHeldUs = 100000;
// A voice whose strikes are this often chords of three or more keys plays only chords.
constexpr double kOnlyChordsShare = 0.9;
// Gaps between strikes longer than this are pauses of the voice, not part of its rhythm.
constexpr std::uint32_t kLongestActiveGapUs = 2000000;

bool ByStartThenKey(const SMidiNote& a, const SMidiNote& b)
{
    return a.dwStartUs != b.dwStartUs ? a.dwStartUs < b.dwStartUs : a.byKey < b.byKey;
}

// Notes that take no time cannot be heard (a clip's end cuts notes that start on it to nothing).
std::vector<SMidiNote> Audible(const std::vector<SMidiNote>& notes)
{
    std::vector<SMidiNote> kept;
    kept.reserve(notes.size());
    for (const SMidiNote& note : notes)
        if (note.dwEndUs > note.dwStartUs)
            kept.push_back(note);
    std::stable_sort(kept.begin(), kept.end(), ByStartThenKey);
    return kept;
}

// Half-open ranges [first, last) of sorted notes struck together.
template <class Visit>
void ForEachStrike(const std::vector<SMidiNote>& notes, Visit visit)
{
    std::size_t first = 0;
    while (first < notes.size()) {
        std::size_t last = first + 1;
        while (last < notes.size() && notes[last].dwStartUs - notes[first].dwStartUs <= kStrikeWindowUs)
            ++last;
        visit(first, last);
        first = last;
    }
}

// 1 inside [low, high], falling to 0 at lowZero and highZero.
double Plateau(double value, double lowZero, double low, double high, double highZero)
{
    if (value < low)
        return std::clamp((value - lowZero) / (low - lowZero), 0.0, 1.0);
    if (value > high)
        return std::clamp((highZero - value) / (highZero - high), 0.0, 1.0);
    return 1.0;
}

// Tunes move mostly by steps, keep a singer's register and a speaking pace, vary their rhythm and play
// one note at a time; basses leap and repeat, pads hold, accompaniments strike chords or repeat one
// rhythm. The weights were set on generated songs (docs/melody-line.md).
double Score(const SVoiceFeatures& f)
{
    if (f.nStrikes < 2)
        return -10.0;
    return 3.0 * (1.0 - f.dChordShare) + 1.5 * Plateau(f.dMeanKey, 40, 55, 82, 100) + 2.0 * f.dStepShare -
           1.5 * f.dLeapShare - 2.0 * std::max(0.0, f.dRepeatShare - 0.4) - 2.0 * std::max(0.0, f.dSwingShare - 0.4) +
           1.0 * Plateau(f.dStrikesPerSecond, 0.3, 1.0, 6.0, 12.0) + 1.0 * std::min(1.0, f.dCoverage / 0.5) +
           2.0 * std::min(1.0, f.dRhythmVariety / 2.0);
}

SVoiceFeatures Describe(const std::vector<SMidiNote>& voice, std::uint32_t clipStart, std::uint32_t clipEnd)
{
    SVoiceFeatures f;
    f.nTrack = voice.front().nTrack;
    f.nChannel = voice.front().byChannel;
    f.nNotes = voice.size();

    std::size_t chords = 0, bigChords = 0;
    std::uint32_t heldUntil = 0;
    std::vector<std::uint32_t> onsets;
    ForEachStrike(voice, [&](std::size_t first, std::size_t last) {
        std::set<std::uint8_t> keys;
        for (std::size_t i = first; i < last; ++i)
            keys.insert(voice[i].byKey);
        const std::uint32_t at = voice[first].dwStartUs;
        std::uint32_t longest = 0;
        for (std::size_t i = first; i < last; ++i)
            longest = std::max(longest, voice[i].dwEndUs - voice[i].dwStartUs);
        // Held over the strike as the top line judges it; a legato overlap is no chord.
        chords += keys.size() >= 2 || heldUntil > at + std::max(kHeldUs, longest / 2);
        bigChords += keys.size() >= 3;
        for (std::size_t i = first; i < last; ++i)
            heldUntil = std::max(heldUntil, voice[i].dwEndUs);
        onsets.push_back(at);
    });
    f.nStrikes = onsets.size();
    f.dChordShare = static_cast<double>(chords) / static_cast<double>(f.nStrikes);
    f.dBigChordShare = static_cast<double>(bigChords) / static_cast<double>(f.nStrikes);

    const std::vector<SMidiNote> top = TopLine(voice);
    double keySum = 0;
    std::size_t steps = 0, leaps = 0, repeats = 0, swings = 0;
    for (std::size_t i = 0; i < top.size(); ++i) {
        keySum += top[i].byKey;
        if (i == 0)
            continue;
        const int interval = std::abs(int(top[i].byKey) - int(top[i - 1].byKey));
        steps += interval == 1 || interval == 2;
        leaps += interval > 7;
        repeats += interval == 0;
        swings += i >= 2 && interval != 0 && top[i].byKey == top[i - 2].byKey;
    }
    f.dMeanKey = keySum / static_cast<double>(top.size());
    const double intervals = static_cast<double>(std::max<std::size_t>(1, top.size() - 1));
    f.dStepShare = static_cast<double>(steps) / intervals;
    f.dLeapShare = static_cast<double>(leaps) / intervals;
    f.dRepeatShare = static_cast<double>(repeats) / intervals;
    f.dSwingShare = static_cast<double>(swings) / intervals;

    // Playing time: each strike until the next one, pauses longer than two seconds left out. Gaps are
    // binned by a sixth of an octave, so that the same note value played by hand lands in one bin.
    double playing = std::min<std::uint32_t>(voice.back().dwEndUs - onsets.back(), kLongestActiveGapUs);
    std::map<int, int> bins;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        const std::uint32_t gap = onsets[i] - onsets[i - 1];
        playing += std::min(gap, kLongestActiveGapUs);
        if (gap <= kLongestActiveGapUs)
            ++bins[static_cast<int>(std::lround(std::log2(static_cast<double>(gap)) * 6.0))];
    }
    f.dStrikesPerSecond = static_cast<double>(f.nStrikes) / std::max(playing / 1e6, 0.5);
    f.dCoverage = playing / std::max(1.0, static_cast<double>(clipEnd - clipStart));
    int binned = 0;
    for (const auto& [bin, count] : bins)
        binned += count;
    for (const auto& [bin, count] : bins) {
        const double p = static_cast<double>(count) / binned;
        f.dRhythmVariety -= p * std::log2(p);
    }
    f.dScore = Score(f);
    return f;
}

// The clip's audible voices other than drums, each sorted, in track then channel order.
std::map<std::pair<std::int32_t, int>, std::vector<SMidiNote>> Voices(const std::vector<SMidiNote>& audible)
{
    std::map<std::pair<std::int32_t, int>, std::vector<SMidiNote>> voices;
    for (const SMidiNote& note : audible)
        if (note.byChannel != kDrumChannel)
            voices[{note.nTrack, note.byChannel}].push_back(note);
    return voices;
}

} // namespace

std::vector<SMidiNote> TopLine(const std::vector<SMidiNote>& voiceNotes)
{
    const std::vector<SMidiNote> notes = Audible(voiceNotes);
    std::vector<SMidiNote> line;
    ForEachStrike(notes, [&](std::size_t first, std::size_t last) {
        const SMidiNote* pick = &notes[first];
        for (std::size_t i = first + 1; i < last; ++i) {
            const SMidiNote& n = notes[i];
            if (n.byKey > pick->byKey || (n.byKey == pick->byKey && n.dwEndUs > pick->dwEndUs))
                pick = &n;
        }
        if (!line.empty() && line.back().dwEndUs > pick->dwStartUs) {
            SMidiNote& held = line.back();
            const std::uint32_t over = held.dwEndUs - pick->dwStartUs;
            // A lower note struck under a held one is an inner voice; a short overlap is legato.
            if (held.byKey > pick->byKey && over >= std::max(kHeldUs, (pick->dwEndUs - pick->dwStartUs) / 2))
                return;
            held.dwEndUs = pick->dwStartUs;
        }
        line.push_back(*pick);
    });
    return line;
}

std::vector<SMidiNote> SkylineLine(const std::vector<SMidiNote>& input)
{
    const std::vector<SMidiNote> notes = Audible(input);
    // Boundaries in time order, ends before starts at the same moment.
    std::vector<std::pair<std::uint64_t, std::size_t>> events;
    events.reserve(notes.size() * 2);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        events.emplace_back(std::uint64_t(notes[i].dwStartUs) * 2 + 1, i);
        events.emplace_back(std::uint64_t(notes[i].dwEndUs) * 2, i);
    }
    std::sort(events.begin(), events.end());
    // Sounding notes by key, the later struck first among equal keys.
    std::set<std::pair<int, std::size_t>> sounding;
    std::vector<SMidiNote> line;
    const SMidiNote* top = nullptr;
    for (std::size_t e = 0; e < events.size();) {
        const std::uint32_t time = static_cast<std::uint32_t>(events[e].first / 2);
        for (; e < events.size() && events[e].first / 2 == time; ++e) {
            const std::size_t i = events[e].second;
            if (events[e].first % 2)
                sounding.emplace(notes[i].byKey, i);
            else
                sounding.erase({notes[i].byKey, i});
        }
        const SMidiNote* now = sounding.empty() ? nullptr : &notes[sounding.rbegin()->second];
        if (now == top)
            continue;
        if (top)
            line.back().dwEndUs = time;
        if (now) {
            line.push_back(*now);
            line.back().dwStartUs = time;
        }
        top = now;
    }
    return line;
}

std::vector<SVoiceFeatures> DescribeVoices(const std::vector<SMidiNote>& notes)
{
    const std::vector<SMidiNote> audible = Audible(notes);
    std::vector<SVoiceFeatures> described;
    if (audible.empty())
        return described;
    std::uint32_t clipEnd = 0;
    for (const SMidiNote& note : audible)
        clipEnd = std::max(clipEnd, note.dwEndUs);
    for (const auto& [voice, voiceNotes] : Voices(audible))
        described.push_back(Describe(voiceNotes, audible.front().dwStartUs, clipEnd));
    return described;
}

SMelodyLine ExtractMelodyLine(const std::vector<SMidiNote>& notes)
{
    SMelodyLine result;
    const std::vector<SMidiNote> audible = Audible(notes);
    if (audible.empty())
        return result;
    const std::vector<SVoiceFeatures> voices = DescribeVoices(audible);
    if (voices.empty()) {
        result.eResult = eMelodyLineResult::OnlyDrums;
        return result;
    }
    const SVoiceFeatures* best = nullptr;
    for (const SVoiceFeatures& v : voices)
        if (v.dBigChordShare < kOnlyChordsShare && (!best || v.dScore > best->dScore))
            best = &v;
    if (!best) {
        result.eResult = eMelodyLineResult::OnlyChords;
        return result;
    }
    std::vector<SMidiNote> voice;
    for (const SMidiNote& note : audible)
        if (note.nTrack == best->nTrack && note.byChannel == best->nChannel)
            voice.push_back(note);
    result.eResult = eMelodyLineResult::Ok;
    result.notes = TopLine(voice);
    result.nTrack = best->nTrack;
    result.nChannel = best->nChannel;
    result.bChordal = best->dChordShare >= 0.5;
    return result;
}

std::string MelodyLineMessage(eMelodyLineResult eResult)
{
    switch (eResult) {
    case eMelodyLineResult::Ok: return "the clip has a melody line";
    case eMelodyLineResult::NoNotes: return "the clip has no notes";
    case eMelodyLineResult::OnlyDrums: return "the clip has only drums (channel 10): there is no tune to take";
    case eMelodyLineResult::OnlyChords:
        return "the clip has only chords (three or more notes struck together): there is no single line to sing";
    }
    return {};
}

SMelodyCut CutAtPhraseEnd(const std::vector<SMidiNote>& line, std::size_t nMaxNotes)
{
    SMelodyCut cut;
    if (line.size() <= nMaxNotes) {
        cut.nKept = line.size();
        return cut;
    }
    cut.nKept = nMaxNotes;
    if (nMaxNotes == 0)
        return cut;
    // "Long" against the line's own pace: the median time from one note to the next.
    std::vector<std::uint32_t> gaps;
    for (std::size_t i = 1; i < line.size(); ++i)
        gaps.push_back(line[i].dwStartUs - line[i - 1].dwStartUs);
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    const std::uint32_t pace = gaps[gaps.size() / 2];
    // The phrase ends after note i (of the line, which goes on past the limit) when a rest or a long note follows.
    for (std::size_t kept = nMaxNotes; kept >= std::max<std::size_t>(1, (nMaxNotes + 1) / 2); --kept) {
        const SMidiNote& last = line[kept - 1];
        const std::uint32_t next = line[kept].dwStartUs;
        const bool rest = next - last.dwEndUs >= std::max<std::uint32_t>(pace / 2, 100000);
        const bool longNote = next - last.dwStartUs >= 2 * pace;
        if (rest || longNote) {
            cut.nKept = kept;
            cut.bAtPhraseEnd = true;
            break;
        }
    }
    return cut;
}

} // namespace corvina
