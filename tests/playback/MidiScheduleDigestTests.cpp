// What the player sends for real and hand-made files, pinned as digests: every event's time, status,
// data and system-exclusive body, the length and the number of tracks (or the reason a file is refused).
// The digests were taken from the reader that sorted all events of a file in memory; a reader that
// produces the events another way must send exactly the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "ScheduleEvents.h"

namespace corvina {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Digest {
public:
    void Add(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            m_value ^= p[i];
            m_value *= 0x100000001B3ull;
        }
    }
    void Add(std::int64_t v)
    {
        std::uint8_t le[8];
        for (int i = 0; i < 8; ++i) le[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
        Add(le, sizeof le);
    }
    std::uint64_t Value() const { return m_value; }

private:
    std::uint64_t m_value = 0xCBF29CE484222325ull;
};

// The digest of everything the player would do with these bytes.
void AddPlay(Digest& d, const Bytes& bytes)
{
    CMidiSchedule s;
    std::string reason;
    if (!s.Parse(bytes, &reason)) {
        d.Add("refused:", 8);
        d.Add(reason.data(), reason.size());
        return;
    }
    const std::vector<test::SENT_EVENT> events = test::AllEvents(s);
    // The count announced by the reading agrees with the walk.
    EXPECT_EQ(s.EventCount(), static_cast<std::int64_t>(events.size()));
    for (const test::SENT_EVENT& e : events) {
        d.Add(e.TimeUs);
        const std::uint8_t fields[] = {e.Status, e.Data1, e.Data2};
        d.Add(fields, sizeof fields);
        if (e.Status == 0xF0) {
            d.Add(static_cast<std::int64_t>(e.Sysex.size()));
            d.Add(e.Sysex.data(), e.Sysex.size());
        }
    }
    d.Add(static_cast<std::int64_t>(events.size()));
    d.Add(s.LengthUs());
    d.Add(s.LengthMs());
    d.Add(s.Tracks());
}

Bytes File(int format, std::uint16_t division, const std::vector<Bytes>& tracks, std::uint32_t headerLength = 6)
{
    Bytes f = {'M', 'T', 'h', 'd', 0, 0, 0, static_cast<std::uint8_t>(headerLength), 0, static_cast<std::uint8_t>(format), 0,
               static_cast<std::uint8_t>(tracks.size()), static_cast<std::uint8_t>(division >> 8),
               static_cast<std::uint8_t>(division)};
    f.resize(8 + headerLength);
    for (const Bytes& t : tracks) {
        f.insert(f.end(), {'M', 'T', 'r', 'k'});
        for (int s = 24; s >= 0; s -= 8) f.push_back(static_cast<std::uint8_t>(t.size() >> s));
        f.insert(f.end(), t.begin(), t.end());
    }
    return f;
}

Bytes Tempo(std::uint8_t delta, std::uint32_t tempo)
{
    return {delta, 0xFF, 0x51, 0x03, static_cast<std::uint8_t>(tempo >> 16), static_cast<std::uint8_t>(tempo >> 8),
            static_cast<std::uint8_t>(tempo)};
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

// A track of `count` note-ons, each after a delta of 0x0FFFFFFF, at a tempo of 0xFFFFFF.
Bytes SlowestTrack(int count)
{
    Bytes t = Tempo(0, 0xFFFFFF);
    for (int i = 0; i < count; ++i) t.insert(t.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64});
    t.insert(t.end(), kEnd.begin(), kEnd.end());
    return t;
}

std::map<std::string, Bytes> HandMadeFiles()
{
    const Bytes notes = {0x00, 0xC0, 0x05, 0x30, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    std::map<std::string, Bytes> files;
    files["tempo map and running status"] = File(1, 96, {Join({Tempo(0, 500000), Tempo(0x60, 1000000), kEnd}), notes});
    // Tempo changes in three tracks at one tick, with notes at that tick in each: the track order decides.
    files["tempo changes in several tracks at one tick"] = File(
        1, 96,
        {Join({Tempo(0, 400000), Tempo(0x60, 300000), {0x00, 0x90, 0x40, 0x40, 0x30, 0x80, 0x40, 0x00}, kEnd}),
         Join({{0x60, 0x91, 0x41, 0x41}, Tempo(0, 900000), {0x00, 0x41, 0x00, 0x60, 0x91, 0x42, 0x42}, kEnd}),
         Join({Tempo(0x60, 200000), {0x00, 0x92, 0x43, 0x43}, Tempo(0, 0), {0x81, 0x00, 0x92, 0x43, 0x00}, kEnd})});
    files["system exclusive forms"] = File(
        0, 120,
        {{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,        // whole message
          0x00, 0x90, 0x3C, 0x64,                                //
          0x10, 0xF0, 0x03, 0x43, 0x10, 0x4C,                    // no closing byte
          0x00, 0x3C, 0x00,                                      // running status after it
          0x00, 0xF0, 0x00,                                      // empty
          0x00, 0xF0, 0x01, 0xF7,                                // only the closing byte
          0x05, 0xF7, 0x02, 0x43, 0xF7,                          // escape: not sent
          0x05, 0x3E, 0x50,                                      // running status goes on
          0x00, 0xF0, 0x81, 0x00, 0x01, 0x02}});                 // claims more than the track holds
    files["system common and real-time bytes inside a track"] = File(
        0, 96, {{0x00, 0xF8, 0x00, 0x90, 0x3C, 0x64, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF1, 0x05, 0x00, 0xF3, 0x02, 0x00, 0xF6,
                 0x00, 0xF4, 0x00, 0xF5, 0x00, 0xFE, 0x00, 0x3C, 0x00, 0x00, 0xC1, 0x07, 0x04, 0xD1, 0x20, 0x04, 0xE1,
                 0x00, 0x40, 0x00, 0xA1, 0x3C, 0x10, 0x00, 0xB1, 0x07, 0x64, 0x00, 0x80}});
    files["data bytes with the top bit set are read as data"] = File(0, 96, {{0x00, 0x90, 0xBC, 0xE4, 0x10, 0x80, 0xBC, 0x90, 0x00, 0xFF, 0x2F, 0x00}});
    files["a meta event between running status events"] = File(
        0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x10, 0xFF, 0x01, 0x02, 'h', 'i', 0x10, 0x3C, 0x00, 0x10, 0xFF, 0x51, 0x02, 0x01,
                 0x02, 0x10, 0x3E, 0x40, 0x00, 0xFF, 0x51, 0x04, 0x01, 0x00, 0x00, 0x09, 0x10, 0x3E, 0x00, 0x00, 0xFF,
                 0x2F, 0x00, 0x00, 0x90, 0x50, 0x50}});
    Bytes claimsTooMuch = File(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00}});
    claimsTooMuch[21] = 100;
    files["a last chunk that claims more than the file"] = claimsTooMuch;
    files["an event cut short"] = File(1, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C}, {0x30, 0x91, 0x3C, 0x64, 0x60}});
    files["a delta time of five bytes"] = File(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x81, 0x81, 0x81, 0x81, 0x01, 0x80, 0x3C, 0x00}});
    files["a meta event longer than its track"] = File(1, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0xFF, 0x03, 0x10, 'a'}, notes});
    files["a data byte before any status"] = File(1, 96, {{0x00, 0x3C, 0x64, 0x00, 0x90, 0x3C, 0x64}, notes});
    files["an empty track and a chunk of another kind"] = [&] {
        Bytes f = File(1, 96, {{}, notes});
        const Bytes other = {'X', 'F', 'I', 'H', 0, 0, 0, 3, 1, 2, 3};
        f.insert(f.begin() + 14, other.begin(), other.end());
        return f;
    }();
    files["a longer header"] = File(1, 96, {notes, notes}, 10);
    files["a track ending long after the others"] = File(1, 480, {Join({Tempo(0, 600000), {0x8F, 0xFF, 0x7F, 0xFF, 0x2F, 0x00}}), notes});
    for (std::uint16_t division : {0xE250, 0xE328, 0xE764, 0xE801, 0xE8FF})
        files["SMPTE division " + std::to_string(division)] = File(1, division, {Join({Tempo(0, 250000), Tempo(0x40, 800000), kEnd}), notes});
    files["slowest events at division 1"] = File(0, 1, {SlowestTrack(3000)});
    files["slowest events at 255 fps"] = File(0, 0xFF01, {SlowestTrack(3000)});
    files["one slowest event at division 32767"] = File(0, 0x7FFF, {SlowestTrack(1)});
    files["refused: empty"] = {};
    files["refused: RIFF"] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 0, 0};
    files["refused: format 2"] = File(2, 96, {kEnd});
    files["refused: division 0"] = File(0, 0, {kEnd});
    files["refused: no ticks per frame"] = File(0, 0xE200, {kEnd});
    files["refused: no tracks"] = File(0, 96, {});
    files["refused: short header"] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0};
    Bytes longHeader = File(0, 96, {kEnd});
    longHeader[7] = 200;
    files["refused: header longer than the file"] = longHeader;
    return files;
}

std::vector<std::filesystem::path> CorpusFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(CORVINA_CORPUS_DIR)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".mid" || ext == ".kar")) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

Bytes Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Damaged copies of a file: bytes changed, removed and cut off, the same ones on every run.
std::vector<Bytes> Damaged(const Bytes& original, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<Bytes> copies;
    for (int i = 0; i < 12 && !original.empty(); ++i) {
        Bytes b = original;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes && !b.empty(); ++c) {
            // The header is left alone in most copies, so that damage reaches the tracks.
            const std::size_t from = b.size() > 22 && i % 4 != 0 ? 22 : 0;
            const std::size_t at = from + random() % (b.size() - from);
            switch (random() % 4) {
            case 0: b[at] = static_cast<std::uint8_t>(random()); break;
            case 1: b[at] ^= 0x80; break;
            case 2: b.erase(b.begin() + static_cast<std::ptrdiff_t>(at)); break;
            default: b.resize(at); break;
            }
        }
        copies.push_back(std::move(b));
    }
    return copies;
}

// Digests recorded from the sorting reader; a case missing here fails and prints its line.
const std::map<std::string, std::uint64_t> kExpected = {
    {"jazz-soft-test-midi-files/test-2-tracks-type-0.mid", 0xbd40ceb348ea8084ull},
    {"jazz-soft-test-midi-files/test-2-tracks-type-0.mid damaged", 0xc345644add69bb97ull},
    {"jazz-soft-test-midi-files/test-2-tracks-type-1.mid", 0xbd40ceb348ea8084ull},
    {"jazz-soft-test-midi-files/test-2-tracks-type-1.mid damaged", 0x50730591643163eaull},
    {"jazz-soft-test-midi-files/test-2-tracks-type-2.mid", 0x83b447dcba4872f4ull},
    {"jazz-soft-test-midi-files/test-2-tracks-type-2.mid damaged", 0xe4ba5f6f8d659eadull},
    {"jazz-soft-test-midi-files/test-all-gm-percussion.mid", 0x8e990b00cb3e59fcull},
    {"jazz-soft-test-midi-files/test-all-gm-percussion.mid damaged", 0x04199a7da54175fbull},
    {"jazz-soft-test-midi-files/test-all-gm-sounds.mid", 0x21bc2fd54f1eed97ull},
    {"jazz-soft-test-midi-files/test-all-gm-sounds.mid damaged", 0x8666c8de53828063ull},
    {"jazz-soft-test-midi-files/test-all-gm2-sounds.mid", 0x514e9220c78b16faull},
    {"jazz-soft-test-midi-files/test-all-gm2-sounds.mid damaged", 0x411ccc87600b13e1ull},
    {"jazz-soft-test-midi-files/test-all-gs-sounds.mid", 0x5e9fd9dacd242c62ull},
    {"jazz-soft-test-midi-files/test-all-gs-sounds.mid damaged", 0x8484faf6389e5adfull},
    {"jazz-soft-test-midi-files/test-all-microsoft-gs-wavetable-synth-sounds.mid", 0x9dfa7caa2afed7c4ull},
    {"jazz-soft-test-midi-files/test-all-microsoft-gs-wavetable-synth-sounds.mid damaged", 0xccb0491b92630dc1ull},
    {"jazz-soft-test-midi-files/test-all-xg-sounds.mid", 0x3bd4357fba823a1full},
    {"jazz-soft-test-midi-files/test-all-xg-sounds.mid damaged", 0x43dfde2e426a4624ull},
    {"jazz-soft-test-midi-files/test-c-major-scale.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-c-major-scale.mid damaged", 0x57d7e61c104a6a5cull},
    {"jazz-soft-test-midi-files/test-control-00-20-bank-select.mid", 0xc717350424308068ull},
    {"jazz-soft-test-midi-files/test-control-00-20-bank-select.mid damaged", 0xb92acf20967a922aull},
    {"jazz-soft-test-midi-files/test-control-40-damper.mid", 0x70b8afac9ab0fccdull},
    {"jazz-soft-test-midi-files/test-control-40-damper.mid damaged", 0x273b45f2e8a9b6e3ull},
    {"jazz-soft-test-midi-files/test-control-41-portamento.mid", 0x649df8e2d03eb51eull},
    {"jazz-soft-test-midi-files/test-control-41-portamento.mid damaged", 0xc8e1c1acc61bb246ull},
    {"jazz-soft-test-midi-files/test-control-54-portamento-control.mid", 0x494e7e0e42454c67ull},
    {"jazz-soft-test-midi-files/test-control-54-portamento-control.mid damaged", 0x1b40bc953001ccffull},
    {"jazz-soft-test-midi-files/test-control-7c-omni-mode-off.mid", 0xc2d1cc7215adf548ull},
    {"jazz-soft-test-midi-files/test-control-7c-omni-mode-off.mid damaged", 0x69308c12270ef945ull},
    {"jazz-soft-test-midi-files/test-control-7d-omni-mode-on.mid", 0x5a9567ea706167e9ull},
    {"jazz-soft-test-midi-files/test-control-7d-omni-mode-on.mid damaged", 0x1064b182d534034aull},
    {"jazz-soft-test-midi-files/test-control-7e-mono-mode-on.mid", 0xe2c4c330bc03a14dull},
    {"jazz-soft-test-midi-files/test-control-7e-mono-mode-on.mid damaged", 0xaeef373a1780c5b6ull},
    {"jazz-soft-test-midi-files/test-control-7f-poly-mode-on.mid", 0xec5b06a323035db3ull},
    {"jazz-soft-test-midi-files/test-control-7f-poly-mode-on.mid damaged", 0xd1284f675a20f958ull},
    {"jazz-soft-test-midi-files/test-corrupt-file-extra-byte.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-corrupt-file-extra-byte.mid damaged", 0x909ed2efe956b429ull},
    {"jazz-soft-test-midi-files/test-corrupt-file-missing-byte.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-corrupt-file-missing-byte.mid damaged", 0xade79b0e5a6bacffull},
    {"jazz-soft-test-midi-files/test-empty-file.mid", 0xa56b3793861bec35ull},
    {"jazz-soft-test-midi-files/test-empty-file.mid damaged", 0xcbf29ce484222325ull},
    {"jazz-soft-test-midi-files/test-empty.mid", 0xed87496f429bab84ull},
    {"jazz-soft-test-midi-files/test-empty.mid damaged", 0x192442d02cb9409aull},
    {"jazz-soft-test-midi-files/test-gm2-doggy-78-00-38-4c.mid", 0xf45e674daa8ec90bull},
    {"jazz-soft-test-midi-files/test-gm2-doggy-78-00-38-4c.mid damaged", 0xde96613be045eda8ull},
    {"jazz-soft-test-midi-files/test-gm2-doggy-79-01-7b.mid", 0x3d43c0cb6e2ab812ull},
    {"jazz-soft-test-midi-files/test-gm2-doggy-79-01-7b.mid damaged", 0x8b0db7bf13f12bbcull},
    {"jazz-soft-test-midi-files/test-gs-doggy-01-00-7b.mid", 0xf932e5b215516757ull},
    {"jazz-soft-test-midi-files/test-gs-doggy-01-00-7b.mid damaged", 0xa89bc6daa84f471eull},
    {"jazz-soft-test-midi-files/test-illegal-message-all.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-all.mid damaged", 0x8e1cec8c43c8457full},
    {"jazz-soft-test-midi-files/test-illegal-message-f1-xx.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f1-xx.mid damaged", 0x1e51440e72a098a4ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f2-xx-xx.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f2-xx-xx.mid damaged", 0x89727cc2f979d968ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f3-xx.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f3-xx.mid damaged", 0xfedb53ec44b11e45ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f4.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f4.mid damaged", 0xf42f40c3496d3c3bull},
    {"jazz-soft-test-midi-files/test-illegal-message-f5.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f5.mid damaged", 0x3d12afa8d9d6e51bull},
    {"jazz-soft-test-midi-files/test-illegal-message-f6.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f6.mid damaged", 0x357858dd9e6cd9d9ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f8.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f8.mid damaged", 0xa4d74685bb789e29ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f9.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-f9.mid damaged", 0x3b9c66843299a70aull},
    {"jazz-soft-test-midi-files/test-illegal-message-fa.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-fa.mid damaged", 0x0653b5f1078ffb45ull},
    {"jazz-soft-test-midi-files/test-illegal-message-fb.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-fb.mid damaged", 0xc86d8e80ed4c25efull},
    {"jazz-soft-test-midi-files/test-illegal-message-fc.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-fc.mid damaged", 0x9144b378c318ecebull},
    {"jazz-soft-test-midi-files/test-illegal-message-fd.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-fd.mid damaged", 0x82e1c89563fbb71cull},
    {"jazz-soft-test-midi-files/test-illegal-message-fe.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-illegal-message-fe.mid damaged", 0xd09586d1c0babe23ull},
    {"jazz-soft-test-midi-files/test-karaoke-kar.mid", 0x3e99e727b0bda372ull},
    {"jazz-soft-test-midi-files/test-karaoke-kar.mid damaged", 0x754fae4b0ec9e47full},
    {"jazz-soft-test-midi-files/test-multichannel-chords-0.mid", 0x5b2820bca1860aefull},
    {"jazz-soft-test-midi-files/test-multichannel-chords-0.mid damaged", 0x4d230b0b681167c2ull},
    {"jazz-soft-test-midi-files/test-multichannel-chords-1.mid", 0x022c23b9c36209dfull},
    {"jazz-soft-test-midi-files/test-multichannel-chords-1.mid damaged", 0x1024f60de50a40e4ull},
    {"jazz-soft-test-midi-files/test-multichannel-chords-2.mid", 0x107f0204815e41feull},
    {"jazz-soft-test-midi-files/test-multichannel-chords-2.mid damaged", 0x8ccddc2bb4d7fc04ull},
    {"jazz-soft-test-midi-files/test-multichannel-chords-3.mid", 0x80b833f4a042d913ull},
    {"jazz-soft-test-midi-files/test-multichannel-chords-3.mid damaged", 0x112938564f3f2a74ull},
    {"jazz-soft-test-midi-files/test-non-midi-track.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-non-midi-track.mid damaged", 0xced0e6bb32dcada0ull},
    {"jazz-soft-test-midi-files/test-not-a-midi-file.mid", 0xa56b3793861bec35ull},
    {"jazz-soft-test-midi-files/test-not-a-midi-file.mid damaged", 0xe658537e4de6e1e5ull},
    {"jazz-soft-test-midi-files/test-note-on-velocity.mid", 0x0a33c7722bb0ec27ull},
    {"jazz-soft-test-midi-files/test-note-on-velocity.mid damaged", 0x6dcf2af9604037a9ull},
    {"jazz-soft-test-midi-files/test-rpn-00-00-pitch-bend-range.mid", 0x0bc6d2d7028a4467ull},
    {"jazz-soft-test-midi-files/test-rpn-00-00-pitch-bend-range.mid damaged", 0xdde2ea3ac47388beull},
    {"jazz-soft-test-midi-files/test-rpn-00-01-fine-tuning.mid", 0xf2115315bd495d1dull},
    {"jazz-soft-test-midi-files/test-rpn-00-01-fine-tuning.mid damaged", 0x81f61cd6ce236ab4ull},
    {"jazz-soft-test-midi-files/test-rpn-00-02-coarse-tuning.mid", 0x1c5c194834f7ef6full},
    {"jazz-soft-test-midi-files/test-rpn-00-02-coarse-tuning.mid damaged", 0xe20325dc445254ddull},
    {"jazz-soft-test-midi-files/test-rpn-00-05-modulation-depth-range.mid", 0xf39ab8970f7c44b0ull},
    {"jazz-soft-test-midi-files/test-rpn-00-05-modulation-depth-range.mid damaged", 0xa173a313ee442634ull},
    {"jazz-soft-test-midi-files/test-running-status-metaevent.mid", 0xbc53b757d8b76f71ull},
    {"jazz-soft-test-midi-files/test-running-status-metaevent.mid damaged", 0xc44f52d118f7ec2eull},
    {"jazz-soft-test-midi-files/test-running-status-sysex.mid", 0x6e202c6c13b01882ull},
    {"jazz-soft-test-midi-files/test-running-status-sysex.mid damaged", 0x1b1f93a415f052e2ull},
    {"jazz-soft-test-midi-files/test-silence-all-notes-off.mid", 0x293dd818cf0e9267ull},
    {"jazz-soft-test-midi-files/test-silence-all-notes-off.mid damaged", 0xcbb7e749befe36f0ull},
    {"jazz-soft-test-midi-files/test-silence-end-of-track.mid", 0xc1549be82100d1d8ull},
    {"jazz-soft-test-midi-files/test-silence-end-of-track.mid damaged", 0xf21f85ae0e32be15ull},
    {"jazz-soft-test-midi-files/test-silence-text-metaevent.mid", 0xc1549be82100d1d8ull},
    {"jazz-soft-test-midi-files/test-silence-text-metaevent.mid damaged", 0xeb2f7debbc3dce98ull},
    {"jazz-soft-test-midi-files/test-smpte-offset.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-smpte-offset.mid damaged", 0xe56b5b9e71099413ull},
    {"jazz-soft-test-midi-files/test-sysex-7e-06-01-id-request.mid", 0xb91c40d74bfb968aull},
    {"jazz-soft-test-midi-files/test-sysex-7e-06-01-id-request.mid damaged", 0x28c72e914aaf5237ull},
    {"jazz-soft-test-midi-files/test-sysex-7e-09-01-gm1-enable.mid", 0xbdf037841d1ad6bdull},
    {"jazz-soft-test-midi-files/test-sysex-7e-09-01-gm1-enable.mid damaged", 0x3e5a9e7839b8eb03ull},
    {"jazz-soft-test-midi-files/test-sysex-7e-09-02-gm-disable.mid", 0x44b9a2c2747ce2a0ull},
    {"jazz-soft-test-midi-files/test-sysex-7e-09-02-gm-disable.mid damaged", 0x9633891b7ef09126ull},
    {"jazz-soft-test-midi-files/test-sysex-7e-09-03-gm2-enable.mid", 0x5fd5afb68ddef953ull},
    {"jazz-soft-test-midi-files/test-sysex-7e-09-03-gm2-enable.mid damaged", 0xd1b7051f112c1797ull},
    {"jazz-soft-test-midi-files/test-sysex-7f-04-03-master-fine-tuning.mid", 0x45f1dfd1de4772dfull},
    {"jazz-soft-test-midi-files/test-sysex-7f-04-03-master-fine-tuning.mid damaged", 0x7a07fb0d7b3b6f22ull},
    {"jazz-soft-test-midi-files/test-sysex-7f-04-04-master-coarse-tuning.mid", 0x47508863c997bbb8ull},
    {"jazz-soft-test-midi-files/test-sysex-7f-04-04-master-coarse-tuning.mid damaged", 0xa13f6c6f3b2d83fcull},
    {"jazz-soft-test-midi-files/test-sysex-7x-08-0x-scale-tuning.mid", 0x8dc6bcb30040458bull},
    {"jazz-soft-test-midi-files/test-sysex-7x-08-0x-scale-tuning.mid damaged", 0x0853aef0699bd2abull},
    {"jazz-soft-test-midi-files/test-sysex-gs-40-1x-15-drum-part-change.mid", 0x2b8e63fd97f9354cull},
    {"jazz-soft-test-midi-files/test-sysex-gs-40-1x-15-drum-part-change.mid damaged", 0xad523063271b6b12ull},
    {"jazz-soft-test-midi-files/test-sysex-gs-40-1x-4x-scale-tuning.mid", 0x3df2db8030039084ull},
    {"jazz-soft-test-midi-files/test-sysex-gs-40-1x-4x-scale-tuning.mid damaged", 0xc32bd9247464bad1ull},
    {"jazz-soft-test-midi-files/test-track-length.mid", 0xb152ad0cbf154a45ull},
    {"jazz-soft-test-midi-files/test-track-length.mid damaged", 0xe33db19b2dff3c4cull},
    {"jazz-soft-test-midi-files/test-vlq-2-byte.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-vlq-2-byte.mid damaged", 0xa64b26e8be55f575ull},
    {"jazz-soft-test-midi-files/test-vlq-3-byte.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-vlq-3-byte.mid damaged", 0x579694c25e4bbe7eull},
    {"jazz-soft-test-midi-files/test-vlq-4-byte.mid", 0xc89c344309afb871ull},
    {"jazz-soft-test-midi-files/test-vlq-4-byte.mid damaged", 0xd5adacc291d68642ull},
    {"jazz-soft-test-midi-files/test-xg-doggy-40-00-30.mid", 0xfcf16f3cec58ee02ull},
    {"jazz-soft-test-midi-files/test-xg-doggy-40-00-30.mid damaged", 0x1dcc7cf5e26a4061ull},
    {"jazz-soft-test-midi-files/test-xg-doggy-7e-00-00-54.mid", 0xfb753f118aa98a30ull},
    {"jazz-soft-test-midi-files/test-xg-doggy-7e-00-00-54.mid damaged", 0x9a77744775189ba2ull},
    {"midly-test-asset/SysExTest.mid", 0xe60a7d5d30dc09d2ull},
    {"midly-test-asset/SysExTest.mid damaged", 0xc7fc2cb677cc13ffull},
    {"music21-testPrimitive/test01.mid", 0xd2f4bbdb0c462d2eull},
    {"music21-testPrimitive/test01.mid damaged", 0xec4ce3130075aca5ull},
    {"music21-testPrimitive/test02.mid", 0x06cf3462427c0956ull},
    {"music21-testPrimitive/test02.mid damaged", 0xf08418c880996885ull},
    {"music21-testPrimitive/test05.mid", 0x41a6979b2947cbdeull},
    {"music21-testPrimitive/test05.mid damaged", 0xa5ee8dbbe2a23e7bull},
    {"music21-testPrimitive/test06.mid", 0xf4dda6ec0647e80bull},
    {"music21-testPrimitive/test06.mid damaged", 0x7774738e4b7cecf6ull},
    {"music21-testPrimitive/test07.mid", 0x5dd643d9f89841f6ull},
    {"music21-testPrimitive/test07.mid damaged", 0x80b89cedfa9f33e9ull},
    {"music21-testPrimitive/test08.mid", 0x5ef2e20ad43c18d5ull},
    {"music21-testPrimitive/test08.mid damaged", 0x3301b90957a17f7eull},
    {"music21-testPrimitive/test09.mid", 0xd165e6497cefe0d4ull},
    {"music21-testPrimitive/test09.mid damaged", 0xc1ce48f57204cb1dull},
    {"music21-testPrimitive/test10.mid", 0x1ace1529c952d1e1ull},
    {"music21-testPrimitive/test10.mid damaged", 0x799a433cfc5d711eull},
    {"music21-testPrimitive/test11.mid", 0x5ca375b50c210bf9ull},
    {"music21-testPrimitive/test11.mid damaged", 0xacd984b820c99bd5ull},
    {"music21-testPrimitive/test12.mid", 0xdfca890ab6d0142aull},
    {"music21-testPrimitive/test12.mid damaged", 0x6735b2cf08fa9f97ull},
    {"music21-testPrimitive/test13.mid", 0xdd3438bc3ceddfb3ull},
    {"music21-testPrimitive/test13.mid damaged", 0x1bccf81d41071a88ull},
    {"music21-testPrimitive/test14.mid", 0xcb7b41665905e850ull},
    {"music21-testPrimitive/test14.mid damaged", 0x2d5491fcc8ed3804ull},
    {"music21-testPrimitive/test15.mid", 0xee510d58d449c05aull},
    {"music21-testPrimitive/test15.mid damaged", 0x3b002adeca2e0b6cull},
    {"music21-testPrimitive/test16.mid", 0xcdaf1db8b96fbbd7ull},
    {"music21-testPrimitive/test16.mid damaged", 0x55f9cddf77c79930ull},
    {"music21-testPrimitive/test17.mid", 0x5d3919bd55061484ull},
    {"music21-testPrimitive/test17.mid damaged", 0x37b56981c697fca1ull},
    {"music21-testPrimitive/test18.mid", 0xaeeed2a4624ec614ull},
    {"music21-testPrimitive/test18.mid damaged", 0x1904ab3fe5fc9cfeull},
    {"music21-testPrimitive/test19.mid", 0xed678d8fb1c99588ull},
    {"music21-testPrimitive/test19.mid damaged", 0x4e8997f604b06381ull},
    {"music21-testPrimitive/test20.mid", 0x72443f4ef16e68dcull},
    {"music21-testPrimitive/test20.mid damaged", 0x76d452ae15c164aeull},
    {"music21-testPrimitive/test21.mid", 0x7cbb54e57e3b2b10ull},
    {"music21-testPrimitive/test21.mid damaged", 0x03f39706121d85c8ull},
    {"SMPTE division 57936", 0xebb365cefaa65629ull},
    {"SMPTE division 58152", 0x84d8b30ca0a581f3ull},
    {"SMPTE division 59236", 0x11887c957b73e656ull},
    {"SMPTE division 59393", 0x2185541cf0bc8334ull},
    {"SMPTE division 59647", 0x8473dac0b7a22a1aull},
    {"a data byte before any status", 0x26da9d6376e75158ull},
    {"a delta time of five bytes", 0xe92c8d450c23d857ull},
    {"a last chunk that claims more than the file", 0xcb7ba8d3db836f55ull},
    {"a longer header", 0x7b1edbeaf2da7cb5ull},
    {"a meta event between running status events", 0x93dbed901cd9ab4eull},
    {"a meta event longer than its track", 0x1a9d53cefd27e639ull},
    {"a track ending long after the others", 0xb1cba052e46b6edfull},
    {"an empty track and a chunk of another kind", 0x26da9d6376e75158ull},
    {"an event cut short", 0x844bf150c3461d6eull},
    {"data bytes with the top bit set are read as data", 0x593360db70a2fdcfull},
    {"one slowest event at division 32767", 0x237cd0b208f3a874ull},
    {"refused: RIFF", 0xa56b3793861bec35ull},
    {"refused: division 0", 0xa0d343696e193adcull},
    {"refused: empty", 0xa56b3793861bec35ull},
    {"refused: format 2", 0x83b447dcba4872f4ull},
    {"refused: header longer than the file", 0x878a2fd6ae94611dull},
    {"refused: no ticks per frame", 0xa0d343696e193adcull},
    {"refused: no tracks", 0xa75896402144fbd1ull},
    {"refused: short header", 0xa56b3793861bec35ull},
    {"slowest events at 255 fps", 0x713493c61775c23full},
    {"slowest events at division 1", 0x713493c61775c23full},
    {"system common and real-time bytes inside a track", 0xa2be9dceff9d5856ull},
    {"system exclusive forms", 0x4738303e74656dbeull},
    {"tempo changes in several tracks at one tick", 0xb4db2c0812e4dcb5ull},
    {"tempo map and running status", 0xee0b7b7a2cc477bbull},
};

void Check(const std::string& name, std::uint64_t digest)
{
    const auto it = kExpected.find(name);
    if (it == kExpected.end()) {
        std::printf("    {\"%s\", 0x%016" PRIx64 "ull},\n", name.c_str(), digest);
        ADD_FAILURE() << "no recorded digest for " << name;
        return;
    }
    EXPECT_EQ(it->second, digest) << name;
}

TEST(MidiSchedule, EveryCorpusFileAndItsDamagedCopiesPlayExactlyAsRecorded)
{
    const std::vector<std::filesystem::path> files = CorpusFiles();
    ASSERT_GE(files.size(), 90u) << "corpus not found at " << CORVINA_CORPUS_DIR;
    std::uint32_t seed = 1;
    for (const std::filesystem::path& path : files) {
        const std::string name = std::filesystem::relative(path, CORVINA_CORPUS_DIR).generic_string();
        const Bytes bytes = Read(path);
        Digest whole;
        AddPlay(whole, bytes);
        Check(name, whole.Value());
        Digest damaged;
        for (const Bytes& copy : Damaged(bytes, seed++)) AddPlay(damaged, copy);
        Check(name + " damaged", damaged.Value());
    }
}

TEST(MidiSchedule, HandMadeFilesPlayExactlyAsRecorded)
{
    for (const auto& [name, bytes] : HandMadeFiles()) {
        Digest d;
        AddPlay(d, bytes);
        Check(name, d.Value());
    }
}

} // namespace
} // namespace corvina
