// Songs made from a seed for the clip suggestion's tests and benchmark: intro, verses of fresh material,
// a chorus that returns (once transposed, once with two notes changed), a bridge, accompaniment, drums.
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
    int nMinSeconds = 0;     // add verses and choruses until the song lasts this long
    int nBpm = 0;            // quarter notes a minute
    bool bSteady = false;    // 4/4 with every part and no humanising: a steady number of notes a second
};

// One chorus of the song, as made.
struct SChorusMade {
    std::uint32_t dwStartUs = 0;   // its first bar
    std::uint32_t dwEndUs = 0;     // the start of the section after it
    int nSemitones = 0;            // transposition against the first chorus
    bool bNotesChanged = false;    // two melody notes differ
    bool bNewEnding = false;       // its last two bars of melody are new
};

struct SGeneratedSong {
    std::vector<SMidiNote> notes;       // sorted like CollectNotes gives them
    std::vector<SChorusMade> choruses;  // every chorus in time order
    std::uint32_t dwTempo = 500000;     // microseconds a quarter note
    std::uint8_t byMelodyChannel = 0;   // the channel the tune is played on
    struct STickNote {
        std::uint32_t start, end;
        std::uint8_t key, velocity, channel;
        int track;
    };
    std::vector<STickNote> ticks;       // the same notes in ticks (480 a quarter), for Smf()

    // A format-1 Standard MIDI File of the song (tempo in track 0).
    std::string Smf() const
    {
        int tracks = 1;
        for (const STickNote& n : ticks)
            tracks = std::max(tracks, n.track + 1);
        std::vector<std::string> chunks;
        for (int t = 0; t < tracks; ++t) {
            // (tick, order, bytes): offs before ons at one tick.
            std::vector<std::tuple<std::uint32_t, int, std::string>> events;
            if (t == 0)
                events.emplace_back(0, 0, test::Bytes({0xFF, 0x51, 0x03}) + test::Be(dwTempo, 3));
            for (const STickNote& n : ticks) {
                if (n.track != t)
                    continue;
                events.emplace_back(n.start, 2, test::Bytes({0x90 | n.channel, n.key, n.velocity}));
                events.emplace_back(n.end, 1, test::Bytes({0x80 | n.channel, n.key, 0}));
            }
            std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) {
                return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
            });
            std::vector<std::pair<std::uint64_t, std::string>> timed;
            for (const auto& [tick, order, bytes] : events)
                timed.emplace_back(tick, bytes);
            chunks.push_back(test::TimedEvents(timed));
        }
        return test::Smf(1, 480, chunks);
    }
};

// The song of a seed. Tempo (72 to 150), meter (4/4, 3/4, 6/8), key, form (4 or 5 choruses, 2 or 3
// verses), chorus length (8, 12 or 16 bars, 16 to 33 s), parts, channels and tracks all vary.
inline SGeneratedSong GenerateSong(std::uint32_t seed, const SSongShape& shape = {})
{
    std::mt19937 random(seed);
    const auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1)); };
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
    SGeneratedSong song;
    song.dwTempo = static_cast<std::uint32_t>(60000000 / bpm);

    static constexpr std::array<std::array<int, 7>, 2> kScales = {{{0, 2, 4, 5, 7, 9, 11}, {0, 2, 3, 5, 7, 8, 10}}};
    const auto& scale = kScales[static_cast<std::size_t>(pick(0, 1))];
    const int tonic = 60 + pick(0, 11) - (chance(50) ? 12 : 0);
    const auto pitchOf = [&](int degree) {
        const int octave = degree >= 0 ? degree / 7 : -((-degree + 6) / 7);
        return tonic + 12 * octave + scale[static_cast<std::size_t>(degree - 7 * octave)];
    };
    static constexpr std::array<std::array<int, 4>, 8> kProgressions = {
        {{0, 4, 5, 3}, {0, 5, 3, 4}, {5, 3, 0, 4}, {0, 3, 4, 4}, {0, 0, 3, 4}, {3, 4, 0, 0}, {0, 2, 3, 4}, {5, 4, 3, 4}}};
    const auto progression = [&] { return kProgressions[static_cast<std::size_t>(pick(0, 7))]; };
    const auto verseChords = progression();
    const auto chorusChords = progression();
    auto bridgeChords = progression();
    while (bridgeChords == chorusChords)
        bridgeChords = progression();

    // Parts: melody always; bass, block chords, arpeggio, pad and drums by chance; each on its own
    // channel, in one track or each in its own.
    const bool bass = shape.bSteady || chance(85), block = shape.bSteady || chance(60), arpeggio = !shape.bSteady && chance(40),
               pad = shape.bSteady || chance(35), drums = shape.bSteady || chance(90);
    std::vector<int> channels = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15};
    std::shuffle(channels.begin(), channels.end(), random);
    song.byMelodyChannel = static_cast<std::uint8_t>(channels[0]);
    const bool ownTracks = chance(50);
    const bool humanised = !shape.bSteady && chance(50);
    const int articulation = pick(80, 97);   // percent of its slot a melody note sounds

    // A melody phrase of two bars over chords: onsets on the eighth grid, chord tones on strong beats.
    struct SPhraseNote {
        int offset, length, degree;
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
                length = 2 * barTicks - at;   // a phrase ends on a longer note
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
    const auto add = [&](std::uint32_t start, std::uint32_t length, int key, int velocity, int part, int transpose) {
        const bool drum = part == 6;
        const int channel = drum ? kDrumChannel : channels[static_cast<std::size_t>(part)];
        key += drum ? 0 : transpose;
        if (humanised && start > 8)
            start = static_cast<std::uint32_t>(static_cast<int>(start) + pick(-4, 4));
        song.ticks.push_back({start, start + std::max<std::uint32_t>(length, 1), static_cast<std::uint8_t>(std::clamp(key, 0, 127)),
                              static_cast<std::uint8_t>(std::clamp(velocity, 1, 127)), static_cast<std::uint8_t>(channel),
                              ownTracks ? part : 0});
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
                    add(beat, static_cast<std::uint32_t>(beatTicks * 9 / 10), chord[0] - 24 + (chord[0] - 24 < 36 ? 12 : 0), 90, 1, transpose);
                if (block)
                    for (int key : chord)
                        add(beat, static_cast<std::uint32_t>(beatTicks * 3 / 4), key - 12 + (key - 12 < 50 ? 12 : 0), 62, 2, transpose);
            }
            if (arpeggio)
                for (int e = 0; e < barTicks / 240; ++e)
                    add(at + static_cast<std::uint32_t>(e * 240), 216, chord[e % 3] - 12, 58, 3, transpose);
            if (pad)
                for (int key : chord)
                    add(at, static_cast<std::uint32_t>(barTicks - 30), key - 12, 50, 4, transpose);
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
            add(now + static_cast<std::uint32_t>(n.offset), static_cast<std::uint32_t>(n.length * articulation / 100), pitchOf(n.degree),
                velocity + pick(-6, 6), 0, transpose);
    };
    const auto freshMelody = [&](int bars, int lift, const std::array<int, 4>& chords) {
        std::vector<SPhraseNote> notes;
        for (int bar = 0; bar < bars; bar += 2)
            for (SPhraseNote n : phrase(lift, chords, bar)) {
                n.offset += bar * barTicks;
                notes.push_back(n);
            }
        return notes;
    };
    const auto us = [&](std::uint32_t tick) { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(tick) * song.dwTempo / 480); };

    // The chorus: phrases with inner repeats (A B A C ...), as choruses have.
    std::vector<std::vector<SPhraseNote>> phrases;
    for (int i = 0; i < 5; ++i)
        phrases.push_back(phrase(2, chorusChords, 2 * i));
    static constexpr std::array<int, 8> kChorusPlan = {0, 1, 0, 2, 3, 1, 0, 4};
    std::vector<SPhraseNote> chorus;
    for (int p = 0; p < chorusBars / 2; ++p)
        for (SPhraseNote n : phrases[static_cast<std::size_t>(kChorusPlan[static_cast<std::size_t>(p)])]) {
            n.offset += 2 * p * barTicks;
            chorus.push_back(n);
        }

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
    for (std::size_t s = 0; s < form.size(); ++s) {
        const char kind = form[s];
        int bars = 8;
        if (kind == 'I' || kind == 'O')
            bars = 2 * pick(1, 2);
        else if (kind == 'B')
            bars = 4 * pick(1, 2);
        else if (kind == 'C')
            bars = chorusBars;
        if (kind == 'C') {
            SChorusMade made;
            made.dwStartUs = us(now);
            const int transpose = chorusIndex == transposedReturn ? shift : 0;
            std::vector<SPhraseNote> notes = chorus;
            if (chorusIndex == changedReturn) {
                const std::size_t first = static_cast<std::size_t>(pick(0, static_cast<int>(notes.size()) - 1));
                std::size_t second = first;
                while (second == first)
                    second = static_cast<std::size_t>(pick(0, static_cast<int>(notes.size()) - 1));
                notes[first].degree += chance(50) ? 1 : -2;
                notes[second].degree += chance(50) ? 2 : -1;
                made.bNotesChanged = true;
            }
            if (chorusIndex == newEndingReturn) {
                const int from = (chorusBars - 2) * barTicks;
                std::erase_if(notes, [&](const SPhraseNote& n) { return n.offset >= from; });
                for (SPhraseNote n : phrase(2, chorusChords, chorusBars - 2)) {
                    n.offset += from;
                    notes.push_back(n);
                }
                made.bNewEnding = true;
            }
            melody(notes, 100, transpose);
            accompany(bars, chorusChords, transpose, true);
            made.nSemitones = transpose;
            made.dwEndUs = us(now + static_cast<std::uint32_t>(bars * barTicks));
            song.choruses.push_back(made);
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
        add(now, static_cast<std::uint32_t>(barTicks), pitchOf(d), 80, 0, 0);

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

} // namespace corvina::bench
