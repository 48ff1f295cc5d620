// Songs made from a seed for the tests and benchmarks, in two kinds, each built for what it measures:
// chorus songs, whose choruses the clip suggestion should find (intro, verses of fresh material, a
// chorus that returns once transposed and once with two notes changed, a bridge, accompaniment,
// drums); and tune songs, whose tune the melody line should find (a tune on one channel, chords
// around and sometimes above it, struck or broken, a held high pad, a bass, sometimes a slow second
// line, and drums with high-pitched fills; played by hand: onsets a few ms off, some notes legato).
#pragma once

#include "MidiBytes.h"
#include "NoteList.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace corvina::bench {

// How a song should come out; what is left at 0 the seed chooses.
struct SSongShape {
    int nMinSeconds = 0;  // add verses and choruses until the song lasts this long
    int nBpm = 0;         // quarter notes a minute
    bool bSteady = false; // 4/4 with every part and no humanising: a steady number of notes a second
};

// One chorus of the song, as made.
struct SChorusMade {
    std::uint32_t dwStartUs = 0; // its first bar
    std::uint32_t dwEndUs = 0;   // the start of the section after it
    int nSemitones = 0;          // transposition against the first chorus
    bool bNotesChanged = false;  // two melody notes differ
    bool bNewEnding = false;     // its last two bars of melody are new
};

struct SChorusSong {
    std::vector<SMidiNote> notes;      // sorted like CollectNotes gives them
    std::vector<SChorusMade> choruses; // every chorus in time order
    std::uint32_t dwTempo = 500000;    // microseconds a quarter note
    std::uint8_t byMelodyChannel = 0;  // the channel the tune is played on
    struct STickNote {
        std::uint32_t start, end;
        std::uint8_t key, velocity, channel;
        int track;
    };
    std::vector<STickNote> ticks; // the same notes in ticks (480 a quarter)
};

// The chorus song of a seed. Tempo (72 to 150), meter (4/4, 3/4, 6/8), key, form (4 or 5 choruses, 2 or 3
// verses), chorus length (8, 12 or 16 bars, 16 to 33 s), parts, channels and tracks all vary.
inline SChorusSong GenerateChorusSong(std::uint32_t seed, const SSongShape& shape = {})
{
    std::mt19937 random(seed);
    const auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % unsigned(hi - lo + 1)); };
    const auto chance = [&](int percent) { return pick(1, 100) <= percent; };

    // Meter and tempo, redrawn until a chorus of 8, 12 or 16 bars lasts 16 to 33 seconds.
    int beatTicks = 480, beats = 4, bpm = 120, chorusBars = 8;
    for (;;) {
        const int meter = shape.bSteady ? 0 : pick(0, 4);
        beats = meter == 3 ? 3 : meter == 4 ? 2 : 4;
        beatTicks = meter == 4 ? 720 : 480;
        bpm = shape.nBpm ? shape.nBpm : pick(72, 150);
        chorusBars = 4 * pick(2, 4);
        const double seconds = chorusBars * beats * beatTicks / 480.0 * 60.0 / bpm;
        if (seconds >= 16 && seconds <= 33)
            break;
    }
    const int barTicks = beats * beatTicks;
    SChorusSong song;
    song.dwTempo = static_cast<std::uint32_t>(60000000 / bpm);

    static constexpr std::array<std::array<int, 7>, 2> kScales = {{{0, 2, 4, 5, 7, 9, 11}, {0, 2, 3, 5, 7, 8, 10}}};
    const auto& scale = kScales[static_cast<std::size_t>(pick(0, 1))];
    const int tonic = 60 + pick(0, 11) - (chance(50) ? 12 : 0);
    const auto pitchOf = [&](int degree) {
        const int octave = degree >= 0 ? degree / 7 : -((-degree + 6) / 7);
        return tonic + 12 * octave + scale[static_cast<std::size_t>(degree - 7 * octave)];
    };
    static constexpr std::array<int, 4> kProgressions[8] = {{0, 4, 5, 3}, {0, 5, 3, 4}, {5, 3, 0, 4}, {0, 3, 4, 4},
                                                            {0, 0, 3, 4}, {3, 4, 0, 0}, {0, 2, 3, 4}, {5, 4, 3, 4}};
    const auto progression = [&] { return kProgressions[pick(0, 7)]; };
    const auto verseChords = progression();
    const auto chorusChords = progression();
    auto bridgeChords = progression();
    while (bridgeChords == chorusChords)
        bridgeChords = progression();

    // Parts: melody always; bass, block chords, arpeggio, pad and drums by chance; each on its own
    // channel, in one track or each in its own.
    const bool bass = shape.bSteady || chance(85), block = shape.bSteady || chance(60),
               arpeggio = !shape.bSteady && chance(40), pad = shape.bSteady || chance(35),
               drums = shape.bSteady || chance(90);
    std::vector<int> channels = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15};
    std::shuffle(channels.begin(), channels.end(), random);
    song.byMelodyChannel = static_cast<std::uint8_t>(channels[0]);
    const bool ownTracks = chance(50), humanised = !shape.bSteady && chance(50);
    const int articulation = pick(80, 97); // percent of its slot a melody note sounds

    // A melody phrase of two bars over chords: onsets on the eighth grid, chord tones on strong beats.
    struct SPhraseNote {
        int offset, length, degree;
    };
    const auto append = [](std::vector<SPhraseNote>& to, std::vector<SPhraseNote> notes, int offset) {
        for (SPhraseNote& n : notes) {
            n.offset += offset;
            to.push_back(n);
        }
    };
    const auto phrase = [&](int lift, const std::array<int, 4>& chords, int firstBar) {
        std::vector<SPhraseNote> out;
        int degree = lift + pick(0, 4);
        for (int at = 0; at < 2 * barTicks;) {
            int length = 240 * (chance(30) ? 2 : chance(20) ? 3 : 1);
            if (chance(10) && at % 240 == 0)
                length = 120;
            length = std::min(length, 2 * barTicks - at);
            if (at + length >= 2 * barTicks - 240)
                length = 2 * barTicks - at; // a phrase ends on a longer note
            if (!chance(12) || out.empty()) {
                degree += pick(-2, 2);
                if (chance(10))
                    degree += pick(-3, 3);
                degree = std::clamp(degree, lift - 3, lift + 9);
                if (at % beatTicks == 0) {
                    const int root = chords[static_cast<std::size_t>((firstBar + at / barTicks) % 4)];
                    const int tones[3] = {root, root + 2, root + 4};
                    int nearest = tones[0];
                    for (int tone : tones)
                        for (int o = -14; o <= 14; o += 7)
                            if (std::abs(tone + o - degree) < std::abs(nearest - degree))
                                nearest = tone + o;
                    degree = nearest;
                }
                out.push_back({at, length, degree});
            }
            at += length;
        }
        return out;
    };

    std::uint32_t now = 0;
    const auto add = [&](std::uint32_t start, int length, int key, int velocity, int part, int transpose) {
        const bool drum = part == 6;
        const int channel = drum ? kDrumChannel : channels[static_cast<std::size_t>(part)];
        key += drum ? 0 : transpose;
        if (humanised && start > 8)
            start = static_cast<std::uint32_t>(static_cast<int>(start) + pick(-4, 4));
        const auto u8 = [](int value) { return static_cast<std::uint8_t>(value); };
        song.ticks.push_back({start, start + std::max(length, 1), u8(std::clamp(key, 0, 127)),
                              u8(std::clamp(velocity, 1, 127)), u8(channel), ownTracks ? part : 0});
    };
    // The accompaniment and drums of a stretch of bars.
    const auto accompany = [&](int bars, const std::array<int, 4>& chords, int transpose, bool withDrums) {
        for (int bar = 0; bar < bars; ++bar) {
            const std::uint32_t at = now + static_cast<std::uint32_t>(bar * barTicks);
            const int root = chords[static_cast<std::size_t>(bar % 4)];
            const int chord[3] = {pitchOf(root), pitchOf(root + 2), pitchOf(root + 4)};
            for (int b = 0; b < beats; ++b) {
                const std::uint32_t beat = at + static_cast<std::uint32_t>(b * beatTicks);
                if (bass && (b % 2 == 0 || beats == 2))
                    add(beat, beatTicks * 9 / 10, chord[0] - 24 + (chord[0] - 24 < 36 ? 12 : 0), 90, 1, transpose);
                if (block)
                    for (int key : chord)
                        add(beat, beatTicks * 3 / 4, key - 12 + (key - 12 < 50 ? 12 : 0), 62, 2, transpose);
            }
            if (arpeggio)
                for (int e = 0; e < barTicks / 240; ++e)
                    add(at + static_cast<std::uint32_t>(e * 240), 216, chord[e % 3] - 12, 58, 3, transpose);
            if (pad)
                for (int key : chord)
                    add(at, barTicks - 30, key - 12, 50, 4, transpose);
            if (drums && withDrums) {
                for (int e = 0; e < barTicks / 240; ++e)
                    add(at + static_cast<std::uint32_t>(e * 240), 60, 42, 70 + pick(0, 20), 6, 0);
                for (int b = 0; b < beats; ++b)
                    add(at + static_cast<std::uint32_t>(b * beatTicks), 60, b % 2 == 0 ? 36 : 38, 100, 6, 0);
            }
        }
    };
    const auto melody = [&](const std::vector<SPhraseNote>& notes, int velocity, int transpose) {
        for (const SPhraseNote& n : notes)
            add(now + static_cast<std::uint32_t>(n.offset), n.length * articulation / 100, pitchOf(n.degree),
                velocity + pick(-6, 6), 0, transpose);
    };
    const auto freshMelody = [&](int bars, int lift, const std::array<int, 4>& chords) {
        std::vector<SPhraseNote> notes;
        for (int bar = 0; bar < bars; bar += 2)
            append(notes, phrase(lift, chords, bar), bar * barTicks);
        return notes;
    };
    const auto us = [&](std::uint32_t tick) { return std::uint32_t(std::uint64_t{tick} * song.dwTempo / 480); };

    // The chorus: phrases with inner repeats (A B A C ...), as choruses have.
    std::vector<std::vector<SPhraseNote>> phrases;
    for (int i = 0; i < 5; ++i)
        phrases.push_back(phrase(2, chorusChords, 2 * i));
    static constexpr std::array<int, 8> kChorusPlan = {0, 1, 0, 2, 3, 1, 0, 4};
    std::vector<SPhraseNote> chorus;
    for (int p = 0; p < chorusBars / 2; ++p)
        append(chorus, phrases[static_cast<std::size_t>(kChorusPlan[static_cast<std::size_t>(p)])], 2 * p * barTicks);

    // The form. Returns: one transposed, another with two notes changed, maybe a third with a new ending.
    const int choruses = pick(4, 5);
    const int verses = choruses == 5 ? 3 : pick(2, 3);
    std::vector<char> form = {'I'};
    for (int c = 0, v = 0; c < choruses; ++c) {
        if (v < verses && (c < 2 || (c == 2 && verses == 3))) {
            form.push_back('V');
            ++v;
        }
        if (c == choruses - 2)
            form.push_back('B');
        form.push_back('C');
    }
    form.push_back('O');
    // Longer songs repeat verse and chorus before the bridge, as an extended song would.
    if (shape.nMinSeconds > 0) {
        const double barSeconds = barTicks / 480.0 * song.dwTempo / 1e6;
        double seconds = (6 + 8 * verses + chorusBars * choruses) * barSeconds;
        auto bridge = std::find(form.begin(), form.end(), 'B');
        while (seconds < shape.nMinSeconds) {
            bridge = form.insert(bridge, {'V', 'C'}) + 2;
            seconds += (8 + chorusBars) * barSeconds;
        }
    }
    const int chorusCount = static_cast<int>(std::count(form.begin(), form.end(), 'C'));
    const int transposedReturn = pick(1, chorusCount - 1);
    int changedReturn = pick(1, chorusCount - 1);
    while (changedReturn == transposedReturn)
        changedReturn = pick(1, chorusCount - 1);
    int newEndingReturn = chorusCount > 3 && chance(40) ? pick(1, chorusCount - 1) : -1;
    if (newEndingReturn == transposedReturn || newEndingReturn == changedReturn)
        newEndingReturn = -1;
    static constexpr std::array<int, 7> kShifts = {-3, -2, 1, 2, 3, 4, 5};
    const int shift = kShifts[static_cast<std::size_t>(pick(0, 6))];

    int chorusIndex = 0;
    for (const char kind : form) {
        const int bars = kind == 'I' || kind == 'O' ? 2 * pick(1, 2)
                         : kind == 'B'              ? 4 * pick(1, 2)
                         : kind == 'C'              ? chorusBars
                                                    : 8;
        if (kind == 'C') {
            const int transpose = chorusIndex == transposedReturn ? shift : 0;
            std::vector<SPhraseNote> notes = chorus;
            if (chorusIndex == changedReturn) {
                const std::size_t first = static_cast<std::size_t>(pick(0, static_cast<int>(notes.size()) - 1));
                std::size_t second = first;
                while (second == first)
                    second = static_cast<std::size_t>(pick(0, static_cast<int>(notes.size()) - 1));
                notes[first].degree += chance(50) ? 1 : -2;
                notes[second].degree += chance(50) ? 2 : -1;
            }
            if (chorusIndex == newEndingReturn) {
                const int from = (chorusBars - 2) * barTicks;
                std::erase_if(notes, [&](const SPhraseNote& n) { return n.offset >= from; });
                append(notes, phrase(2, chorusChords, chorusBars - 2), from);
            }
            melody(notes, 100, transpose);
            accompany(bars, chorusChords, transpose, true);
            song.choruses.push_back({us(now), us(now + static_cast<std::uint32_t>(bars * barTicks)), transpose,
                                     chorusIndex == changedReturn, chorusIndex == newEndingReturn});
            ++chorusIndex;
        } else {
            const auto& chords = kind == 'B' ? bridgeChords : kind == 'O' ? chorusChords : verseChords;
            if (kind == 'V' || kind == 'B')
                melody(freshMelody(bars, kind == 'B' ? 4 : 0, chords), 88, 0);
            accompany(bars, chords, 0, kind != 'I' || chance(50));
        }
        now += static_cast<std::uint32_t>(bars * barTicks);
    }
    // The last chord rings out.
    for (int d : {0, 2, 4})
        add(now, barTicks, pitchOf(d), 80, 0, 0);

    // Tracks are numbered without gaps: a file may not hold an empty track.
    std::array<int, 8> trackOf{};
    for (const auto& n : song.ticks)
        trackOf[static_cast<std::size_t>(n.track)] = 1;
    for (int t = 0, next = 0; t < 8; ++t)
        trackOf[static_cast<std::size_t>(t)] = trackOf[static_cast<std::size_t>(t)] ? next++ : -1;
    for (auto& n : song.ticks)
        n.track = trackOf[static_cast<std::size_t>(n.track)];
    std::stable_sort(song.ticks.begin(), song.ticks.end(), [](const auto& a, const auto& b) {
        return a.start != b.start ? a.start < b.start : a.key < b.key;
    });
    for (const auto& n : song.ticks)
        song.notes.push_back({us(n.start), us(n.end), n.key, n.velocity, n.channel, n.track});
    return song;
}

struct STuneSong {
    std::uint32_t usPerQuarter = 500000;
    std::vector<SMidiNote> notes; // everything, sorted by start then key
    std::vector<SMidiNote> tune;  // the notes a listener sings (all on the tune's channel)
};

// A tune song of about `seconds`, the same for the same seed.
inline STuneSong GenerateTuneSong(std::uint32_t seed, double seconds)
{
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };

    STuneSong song;
    const int bpm = pick(70, 160);
    song.usPerQuarter = static_cast<std::uint32_t>(60000000 / bpm);
    const double usPerEighth = song.usPerQuarter / 2.0;
    const int bars = std::max(2, static_cast<int>(seconds * bpm / 240));
    const int tonic = pick(0, 11);
    static const int kScales[2][7] = {{0, 2, 4, 5, 7, 9, 11}, {0, 2, 3, 5, 7, 8, 10}}; // major, minor
    const int* scale = kScales[chance(0.5) ? 0 : 1];
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
    int trackOf[16] = {};
    for (int v = 0; v < 6; ++v)
        trackOf[v < 5 ? channels[static_cast<std::size_t>(v)] : 9] = tracks[static_cast<std::size_t>(v)];

    auto jitter = [&] { return pick(-6000, 6000); };
    auto add = [&](int channel, double startUs, double endUs, int key, bool isTune = false) {
        const auto u8 = [](int value) { return static_cast<std::uint8_t>(value); };
        const auto s =
            static_cast<std::uint32_t>(std::max(0, static_cast<int>(startUs) + (startUs > 0 ? jitter() : 0)));
        const auto e =
            static_cast<std::uint32_t>(std::max(static_cast<int>(s) + 1000, static_cast<int>(endUs) + jitter()));
        const SMidiNote note{s, e, u8(std::clamp(key, 0, 127)), u8(pick(60, 110)), u8(channel), trackOf[channel]};
        song.notes.push_back(note);
        if (isTune)
            song.tune.push_back(note);
    };

    // Chords: a four-bar loop of scale degrees.
    static const int kLoops[4][4] = {{0, 4, 5, 3}, {0, 5, 3, 4}, {5, 3, 0, 4}, {0, 3, 4, 0}};
    const int* loop = kLoops[pick(0, 3)];
    const int tuneBase = 48 + pick(0, 2) * 6;                            // the tune's octave: c3, f#3 or c4 upwards
    const int chordBase = tuneBase + (chance(0.25) ? 7 : pick(-12, -3)); // under the tune, sometimes above
    const int chordSize = chance(0.3) ? 4 : 3;                           // a triad, or with the root an octave up
    const bool brokenChords = chance(0.3);
    const bool pad = chance(0.5), second = chance(0.3), ballad = chance(0.25);
    const int secondPerBar = chance(0.5) ? 2 : 4; // the second line in half notes or in quarters

    // Rhythms of a bar in eighths; a negative length is a rest.
    static const std::vector<std::vector<int>> kRhythms = {
        {2, 2, 2, 2},       {1, 1, 2, 2, 2}, {3, 1, 2, 2}, {2, 1, 1, 4},     {4, 4},  {2, 2, 4},
        {1, 1, 1, 1, 2, 2}, {2, -2, 2, 2},   {3, 3, 2},    {-2, 2, 1, 1, 2}, {6, -2}, {1, 1, 2, 1, 1, 2}};
    // A ballad's tune holds its notes longer.
    static const std::vector<std::vector<int>> kBalladRhythms = {{4, 4},    {6, 2},    {8},       {2, 2, 4},
                                                                 {4, 2, 2}, {3, 1, 4}, {4, -2, 2}};
    const auto& rhythms = ballad ? kBalladRhythms : kRhythms;
    int degree = pick(0, 4);
    for (int bar = 0; bar < bars; ++bar) {
        const double barUs = bar * 8 * usPerEighth;
        const int root = loop[bar % 4];
        // The tune.
        const std::vector<int>& rhythm =
            rhythms[static_cast<std::size_t>(pick(0, static_cast<int>(rhythms.size()) - 1))];
        double at = barUs;
        for (int length : rhythm) {
            const double slot = std::abs(length) * usPerEighth;
            if (length > 0) {
                const int move = pick(0, 99);
                degree += move < 20 ? 0 : move < 75 ? (chance(0.5) ? 1 : -1) : (chance(0.5) ? 1 : -1) * pick(2, 4);
                degree = std::clamp(degree + (degree > 9 ? -1 : degree < -2 ? 1 : 0), -3, 11);
                const int key = degreeKey(tuneBase, degree);
                add(tuneChannel, at, at + slot * (chance(0.2) ? 1.08 : 0.9), key, true);
                if (chance(0.04)) // now and then a harmony note struck with the tune's note, under it
                    add(tuneChannel, at, at + slot * 0.9, degreeKey(tuneBase, degree - 2));
            }
            at += slot;
        }
        // Chords, struck once, twice or on every beat, or broken into eighths.
        const int chordKeys[4] = {degreeKey(chordBase, root), degreeKey(chordBase, root + 2),
                                  degreeKey(chordBase, root + 4), degreeKey(chordBase, root + 7)};
        if (brokenChords) {
            for (int e = 0; e < 8; ++e)
                add(chordChannel, barUs + e * usPerEighth, barUs + (e + 1) * usPerEighth,
                    chordKeys[(e % 4 == 3) ? 1 : e % chordSize]);
        } else {
            const int strikes = 1 << pick(0, 2);
            for (int s = 0; s < strikes; ++s)
                for (int k = 0; k < chordSize; ++k)
                    add(chordChannel, barUs + s * 8 * usPerEighth / strikes,
                        barUs + (s + 1) * 8 * usPerEighth / strikes * 0.95, chordKeys[k]);
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
            if (e % 2 == 0)
                add(9, t, t + usPerEighth / 2, e % 4 == 0 ? 36 : 38);
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

// Notes as a format-1 Standard MIDI File, one track per track number, division 480 and the tempo at
// the start of the first track (times rounded to ticks).
inline std::string SongFile(const std::vector<SMidiNote>& notes, std::uint32_t usPerQuarter)
{
    constexpr std::uint64_t kDivision = 480;
    const auto tick = [&](std::uint64_t us) { return (us * kDivision + usPerQuarter / 2) / usPerQuarter; };
    int tracks = 0;
    for (const SMidiNote& n : notes)
        tracks = std::max(tracks, n.nTrack + 1);
    std::vector<std::string> chunks;
    for (int t = 0; t < tracks; ++t) {
        // (tick, off before on, status, key, velocity)
        std::vector<std::tuple<std::uint64_t, int, int, int, int>> events;
        for (const SMidiNote& n : notes) {
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
            timed.emplace_back(0, test::Bytes({0xFF, 0x51, 0x03}) + test::Be(usPerQuarter, 3));
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
