// Generated songs whose tune is known, for measuring the melody line: a tune on one channel, chords
// around and sometimes above it (struck or broken), a held high pad, a bass, sometimes a slow second
// line, and drums with high-pitched fills; played by hand (onsets a few ms off, some notes legato).
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "MidiBytes.h"
#include "NoteList.h"

namespace corvina::bench {

struct GeneratedSong {
    std::uint32_t usPerQuarter = 500000;
    std::vector<SMidiNote> notes;   // everything, sorted by start then key
    std::vector<SMidiNote> tune;    // the notes a listener sings (all on the tune's channel)
};

// A song of about `seconds`, the same for the same seed.
inline GeneratedSong GenerateSong(std::uint32_t seed, double seconds)
{
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };

    GeneratedSong song;
    const int bpm = pick(70, 160);
    song.usPerQuarter = static_cast<std::uint32_t>(60000000 / bpm);
    const double usPerEighth = song.usPerQuarter / 2.0;
    const int bars = std::max(2, static_cast<int>(seconds * bpm / 240));
    const int tonic = pick(0, 11);
    static const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
    static const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
    const int* scale = chance(0.5) ? kMajor : kMinor;
    // A key of the scale by degree (any integer), around octave `base`.
    auto degreeKey = [&](int base, int degree) {
        const int octave = (degree >= 0 ? degree : degree - 6) / 7;
        return base + tonic + 12 * octave + scale[degree - 7 * octave];
    };

    // Voices on distinct channels (never 9), each on its own track.
    std::vector<int> channels = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15};
    std::shuffle(channels.begin(), channels.end(), random);
    const int tuneChannel = channels[0], chordChannel = channels[1], padChannel = channels[2];
    const int bassChannel = channels[3], secondChannel = channels[4];
    std::vector<int> tracks = {0, 1, 2, 3, 4, 5};
    std::shuffle(tracks.begin(), tracks.end(), random);
    std::vector<int> trackOf(16);
    for (int v = 0; v < 6; ++v)
        trackOf[static_cast<std::size_t>(v < 5 ? channels[static_cast<std::size_t>(v)] : 9)] = tracks[static_cast<std::size_t>(v)];

    auto jitter = [&] { return pick(-6000, 6000); };
    auto add = [&](int channel, double startUs, double endUs, int key, bool isTune = false) {
        const int s = std::max(0, static_cast<int>(startUs) + (startUs > 0 ? jitter() : 0));
        const int e = std::max(s + 1000, static_cast<int>(endUs) + jitter());
        SMidiNote note{static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(e), static_cast<std::uint8_t>(std::clamp(key, 0, 127)),
                       static_cast<std::uint8_t>(pick(60, 110)), static_cast<std::uint8_t>(channel),
                       trackOf[static_cast<std::size_t>(channel)]};
        song.notes.push_back(note);
        if (isTune)
            song.tune.push_back(note);
    };

    // Chords: a four-bar loop of scale degrees.
    static const int kLoops[4][4] = {{0, 4, 5, 3}, {0, 5, 3, 4}, {5, 3, 0, 4}, {0, 3, 4, 0}};
    const int* loop = kLoops[pick(0, 3)];
    const int tuneBase = 48 + pick(0, 2) * 6;                    // the tune's octave: c3, f#3 or c4 upwards
    const int chordBase = tuneBase + (chance(0.25) ? 7 : pick(-12, -3));   // under the tune, sometimes above
    const int chordSize = chance(0.3) ? 4 : 3;   // a triad, or with the root an octave up
    const bool brokenChords = chance(0.3);
    const bool pad = chance(0.5), second = chance(0.3), ballad = chance(0.25);
    const int secondPerBar = chance(0.5) ? 2 : 4;   // the second line in half notes or in quarters

    // Rhythms of a bar in eighths; a negative length is a rest.
    static const std::vector<std::vector<int>> kRhythms = {
        {2, 2, 2, 2}, {1, 1, 2, 2, 2}, {3, 1, 2, 2}, {2, 1, 1, 4}, {4, 4}, {2, 2, 4}, {1, 1, 1, 1, 2, 2},
        {2, -2, 2, 2}, {3, 3, 2}, {-2, 2, 1, 1, 2}, {6, -2}, {1, 1, 2, 1, 1, 2}};
    // A ballad's tune holds its notes longer.
    static const std::vector<std::vector<int>> kBalladRhythms = {{4, 4}, {6, 2}, {8}, {2, 2, 4}, {4, 2, 2}, {3, 1, 4}, {4, -2, 2}};
    const auto& rhythms = ballad ? kBalladRhythms : kRhythms;
    int degree = pick(0, 4);
    for (int bar = 0; bar < bars; ++bar) {
        const double barUs = bar * 8 * usPerEighth;
        const int root = loop[bar % 4];
        // The tune.
        const std::vector<int>& rhythm = rhythms[static_cast<std::size_t>(pick(0, static_cast<int>(rhythms.size()) - 1))];
        double at = barUs;
        for (int length : rhythm) {
            const double slot = std::abs(length) * usPerEighth;
            if (length > 0) {
                const int move = pick(0, 99);
                degree += move < 20 ? 0 : move < 75 ? (chance(0.5) ? 1 : -1) : (chance(0.5) ? 1 : -1) * pick(2, 4);
                degree = std::clamp(degree + (degree > 9 ? -1 : degree < -2 ? 1 : 0), -3, 11);
                const int key = degreeKey(tuneBase, degree);
                add(tuneChannel, at, at + slot * (chance(0.2) ? 1.08 : 0.9), key, true);
                if (chance(0.04))   // now and then a harmony note struck with the tune's note, under it
                    add(tuneChannel, at, at + slot * 0.9, degreeKey(tuneBase, degree - 2));
            }
            at += slot;
        }
        // Chords, struck once, twice or on every beat, or broken into eighths.
        const int chordKeys[4] = {degreeKey(chordBase, root), degreeKey(chordBase, root + 2), degreeKey(chordBase, root + 4),
                                  degreeKey(chordBase, root + 7)};
        if (brokenChords) {
            for (int e = 0; e < 8; ++e)
                add(chordChannel, barUs + e * usPerEighth, barUs + (e + 1) * usPerEighth, chordKeys[(e % 4 == 3) ? 1 : e % chordSize]);
        } else {
            const int strikes = 1 << pick(0, 2);
            for (int s = 0; s < strikes; ++s)
                for (int k = 0; k < chordSize; ++k)
                    add(chordChannel, barUs + s * 8 * usPerEighth / strikes, barUs + (s + 1) * 8 * usPerEighth / strikes * 0.95,
                        chordKeys[k]);
        }
        // Bass on roots and fifths.
        for (int q = 0; q < 4; ++q)
            add(bassChannel, barUs + 2 * q * usPerEighth, barUs + (2 * q + 1.6) * usPerEighth,
                degreeKey(36, root + (q % 2 ? 4 : 0)) - (chance(0.3) ? 12 : 0));
        // A pad held high over two bars.
        if (pad && bar % 2 == 0)
            add(padChannel, barUs, barUs + 16 * usPerEighth * 0.98, degreeKey(tuneBase + 24, root + 4));
        // A second line moving by steps through the chord, in half notes or quarters.
        if (second) {
            const double step = 8.0 / secondPerBar;
            for (int h = 0; h < secondPerBar; ++h)
                add(secondChannel, barUs + step * h * usPerEighth, barUs + step * (h + 0.9) * usPerEighth,
                    degreeKey(tuneBase - 5, root + 2 + (h % 2)));
        }
        // Drums: kick, snare and hi-hat; every fourth bar ends with a fill of high percussion.
        for (int e = 0; e < 8; ++e) {
            const double t = barUs + e * usPerEighth;
            add(9, t, t + usPerEighth / 2, 42);
            if (e % 4 == 0)
                add(9, t, t + usPerEighth / 2, 36);
            if (e % 4 == 2)
                add(9, t, t + usPerEighth / 2, 38);
            if (bar % 4 == 3 && e >= 4)
                add(9, t, t + usPerEighth / 2, pick(60, 81));
        }
    }
    auto order = [](const SMidiNote& a, const SMidiNote& b) {
        return a.dwStartUs != b.dwStartUs ? a.dwStartUs < b.dwStartUs : a.byKey < b.byKey;
    };
    std::sort(song.notes.begin(), song.notes.end(), order);
    std::sort(song.tune.begin(), song.tune.end(), order);
    return song;
}

// The song as a format-1 Standard MIDI File, one track per track number of its notes, division 480 and the
// tempo at the start of the first track (times rounded to ticks).
inline std::string SongFile(const GeneratedSong& song)
{
    constexpr std::uint64_t kDivision = 480;
    const auto tick = [&](std::uint32_t us) { return (std::uint64_t(us) * kDivision + song.usPerQuarter / 2) / song.usPerQuarter; };
    int tracks = 0;
    for (const SMidiNote& n : song.notes)
        tracks = std::max(tracks, n.nTrack + 1);
    std::vector<std::string> chunks;
    for (int t = 0; t < tracks; ++t) {
        // (tick, off before on, status, key, velocity)
        std::vector<std::tuple<std::uint64_t, int, int, int, int>> events;
        for (const SMidiNote& n : song.notes) {
            if (n.nTrack != t)
                continue;
            events.emplace_back(tick(n.dwStartUs), 1, 0x90 | n.byChannel, n.byKey, n.byVelocity);
            events.emplace_back(tick(n.dwEndUs), 0, 0x80 | n.byChannel, n.byKey, 0);
        }
        std::sort(events.begin(), events.end());
        // A name first: a track the song leaves empty (no pad, no second line) still has a chunk the
        // reader takes, so that the tracks after it keep their numbers.
        std::vector<std::pair<std::uint64_t, std::string>> timed = {{0, test::Bytes({0xFF, 0x03, 0x05}) + "voice"}};
        if (t == 0)
            timed.emplace_back(0, test::Bytes({0xFF, 0x51, 0x03}) + test::Be(song.usPerQuarter, 3));
        for (const auto& [at, kind, status, key, velocity] : events)
            timed.emplace_back(at, test::Bytes({status, key, velocity}));
        chunks.push_back(test::TimedEvents(timed));
    }
    return test::Smf(1, kDivision, chunks);
}

// Share of the tune's notes that the line has with the same key and onset.
inline double TuneRecall(const std::vector<SMidiNote>& tune, const std::vector<SMidiNote>& line)
{
    std::vector<std::pair<std::uint32_t, std::uint8_t>> found;
    for (const SMidiNote& n : line)
        found.emplace_back(n.dwStartUs, n.byKey);
    std::sort(found.begin(), found.end());
    std::size_t hits = 0;
    for (const SMidiNote& n : tune)
        hits += std::binary_search(found.begin(), found.end(), std::make_pair(n.dwStartUs, n.byKey));
    return tune.empty() ? 1.0 : static_cast<double>(hits) / static_cast<double>(tune.size());
}

} // namespace corvina::bench
