// What the player sends for real and hand-made files, pinned as digests: every event's time, status,
// data and system-exclusive body, the length and the number of tracks (or the reason a file is refused).
// The digests were taken from the reader that sorted all events of a file in memory; a reader that
// produces the events another way must send exactly the same.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <map>
#include <utility>
#include <random>
#include <string>

#include "Corpus.h"
#include "PlayerTestFiles.h"
#include "ScheduleEvents.h"

namespace corvina {
namespace {

using Bytes = test::ByteVector;

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
        for (int i = 0; i < 8; ++i)
            le[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
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

using test::SmfBytes;

// A Set Tempo event after the delta.
Bytes Tempo(std::uint8_t delta, std::uint32_t tempo)
{
    Bytes event = {delta, 0xFF, 0x51, 0x03};
    for (int shift : {16, 8, 0})
        event.push_back(static_cast<std::uint8_t>(tempo >> shift));
    return event;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

// A track of `count` note-ons, each after a delta of 0x0FFFFFFF, at a tempo of 0xFFFFFF.
Bytes SlowestTrack(int count)
{
    Bytes t = Tempo(0, 0xFFFFFF);
    for (int i = 0; i < count; ++i)
        t.insert(t.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64});
    t.insert(t.end(), kEnd.begin(), kEnd.end());
    return t;
}

std::map<std::string, Bytes> HandMadeFiles()
{
    const Bytes notes = {0x00, 0xC0, 0x05, 0x30, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    std::map<std::string, Bytes> files;
    files["tempo map and running status"] =
        SmfBytes(1, 96, {Join({Tempo(0, 500000), Tempo(0x60, 1000000), kEnd}), notes});
    // Tempo changes in three tracks at one tick, with notes at that tick in each: the track order decides.
    files["tempo changes in several tracks at one tick"] = SmfBytes(
        1, 96,
        {Join({Tempo(0, 400000), Tempo(0x60, 300000), {0x00, 0x90, 0x40, 0x40, 0x30, 0x80, 0x40, 0x00}, kEnd}),
         Join({{0x60, 0x91, 0x41, 0x41}, Tempo(0, 900000), {0x00, 0x41, 0x00, 0x60, 0x91, 0x42, 0x42}, kEnd}),
         Join({Tempo(0x60, 200000), {0x00, 0x92, 0x43, 0x43}, Tempo(0, 0), {0x81, 0x00, 0x92, 0x43, 0x00}, kEnd})});
    files["system exclusive forms"] =
        SmfBytes(0, 120, {{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, // whole message
                           0x00, 0x90, 0x3C, 0x64,                         //
                           0x10, 0xF0, 0x03, 0x43, 0x10, 0x4C,             // no closing byte
                           0x00, 0x3C, 0x00,                               // running status after it
                           0x00, 0xF0, 0x00,                               // empty
                           0x00, 0xF0, 0x01, 0xF7,                         // only the closing byte
                           0x05, 0xF7, 0x02, 0x43, 0xF7,                   // escape: not sent
                           0x05, 0x3E, 0x50,                               // running status goes on
                           0x00, 0xF0, 0x81, 0x00, 0x01, 0x02}});          // claims more than the track holds
    files["system common and real-time bytes inside a track"] = SmfBytes(
        0, 96, {{0x00, 0xF8, 0x00, 0x90, 0x3C, 0x64, 0x00, 0xF2, 0x01, 0x02, 0x00, 0xF1, 0x05, 0x00, 0xF3, 0x02,
                 0x00, 0xF6, 0x00, 0xF4, 0x00, 0xF5, 0x00, 0xFE, 0x00, 0x3C, 0x00, 0x00, 0xC1, 0x07, 0x04, 0xD1,
                 0x20, 0x04, 0xE1, 0x00, 0x40, 0x00, 0xA1, 0x3C, 0x10, 0x00, 0xB1, 0x07, 0x64, 0x00, 0x80}});
    files["data bytes with the top bit set are read as data"] =
        SmfBytes(0, 96, {{0x00, 0x90, 0xBC, 0xE4, 0x10, 0x80, 0xBC, 0x90, 0x00, 0xFF, 0x2F, 0x00}});
    files["a meta event between running status events"] =
        SmfBytes(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x10, 0xFF, 0x01, 0x02, 'h',  'i',  0x10, 0x3C, 0x00, 0x10,
                          0xFF, 0x51, 0x02, 0x01, 0x02, 0x10, 0x3E, 0x40, 0x00, 0xFF, 0x51, 0x04, 0x01, 0x00,
                          0x00, 0x09, 0x10, 0x3E, 0x00, 0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x50, 0x50}});
    Bytes claimsTooMuch = SmfBytes(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00}});
    claimsTooMuch[21] = 100;
    files["a last chunk that claims more than the file"] = claimsTooMuch;
    files["an event cut short"] =
        SmfBytes(1, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C}, {0x30, 0x91, 0x3C, 0x64, 0x60}});
    files["a delta time of five bytes"] =
        SmfBytes(0, 96, {{0x00, 0x90, 0x3C, 0x64, 0x81, 0x81, 0x81, 0x81, 0x01, 0x80, 0x3C, 0x00}});
    files["a meta event longer than its track"] =
        SmfBytes(1, 96, {{0x00, 0x90, 0x3C, 0x64, 0x60, 0xFF, 0x03, 0x10, 'a'}, notes});
    files["a data byte before any status"] = SmfBytes(1, 96, {{0x00, 0x3C, 0x64, 0x00, 0x90, 0x3C, 0x64}, notes});
    files["an empty track and a chunk of another kind"] = [&] {
        Bytes f = SmfBytes(1, 96, {{}, notes});
        const Bytes other = {'X', 'F', 'I', 'H', 0, 0, 0, 3, 1, 2, 3};
        f.insert(f.begin() + 14, other.begin(), other.end());
        return f;
    }();
    files["a longer header"] = SmfBytes(1, 96, {notes, notes}, 10);
    files["a track ending long after the others"] =
        SmfBytes(1, 480, {Join({Tempo(0, 600000), {0x8F, 0xFF, 0x7F, 0xFF, 0x2F, 0x00}}), notes});
    for (std::uint16_t division : {0xE250, 0xE328, 0xE764, 0xE801, 0xE8FF})
        files["SMPTE division " + std::to_string(division)] =
            SmfBytes(1, division, {Join({Tempo(0, 250000), Tempo(0x40, 800000), kEnd}), notes});
    files["slowest events at division 1"] = SmfBytes(0, 1, {SlowestTrack(3000)});
    files["slowest events at 255 fps"] = SmfBytes(0, 0xFF01, {SlowestTrack(3000)});
    files["one slowest event at division 32767"] = SmfBytes(0, 0x7FFF, {SlowestTrack(1)});
    files["refused: empty"] = {};
    files["refused: RIFF"] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 0, 0};
    files["refused: format 2"] = SmfBytes(2, 96, {kEnd});
    files["refused: division 0"] = SmfBytes(0, 0, {kEnd});
    files["refused: no ticks per frame"] = SmfBytes(0, 0xE200, {kEnd});
    files["refused: no tracks"] = SmfBytes(0, 96, {});
    files["refused: short header"] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0};
    Bytes longHeader = SmfBytes(0, 96, {kEnd});
    longHeader[7] = 200;
    files["refused: header longer than the file"] = longHeader;
    return files;
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

// What the player does with a list of cases, as one digest of each case's name and digest, in order.
std::uint64_t Fold(const std::vector<std::pair<std::string, std::uint64_t>>& digests)
{
    Digest all;
    for (const auto& [name, value] : digests) {
        all.Add(name.data(), name.size());
        all.Add(static_cast<std::int64_t>(value));
    }
    return all.Value();
}

// Folded digests of the cases below, recorded from the sorting reader (each case's own digest was
// recorded first and checked against the reader that replaced it). On a mismatch the cases' own
// digests are printed, to compare with a run of an earlier version.
constexpr std::uint64_t kCorpusAndDamagedCopies = 0xbeb51232179d7210ull;
constexpr std::uint64_t kHandMade = 0x6ca403206607b02bull;

void ExpectFolded(const std::vector<std::pair<std::string, std::uint64_t>>& digests, std::uint64_t expected)
{
    EXPECT_EQ(Fold(digests), expected);
    if (Fold(digests) != expected)
        for (const auto& [name, value] : digests)
            std::printf("    %016" PRIx64 " %s\n", value, name.c_str());
}

TEST(MidiSchedule, EveryCorpusFileAndItsDamagedCopiesPlayExactlyAsRecorded)
{
    const std::vector<std::filesystem::path> files = test::CorpusFiles({".mid", ".kar"});
    ASSERT_GE(files.size(), 90u) << "corpus not found at " << test::kCorpus;
    std::vector<std::pair<std::string, std::uint64_t>> digests;
    std::uint32_t seed = 1;
    for (const std::filesystem::path& path : files) {
        const std::string name = std::filesystem::relative(path, test::kCorpus).generic_string();
        const std::string file = test::ReadFile(path);
        const Bytes bytes(file.begin(), file.end());
        Digest whole;
        AddPlay(whole, bytes);
        digests.emplace_back(name, whole.Value());
        Digest damaged;
        for (const Bytes& copy : Damaged(bytes, seed++))
            AddPlay(damaged, copy);
        digests.emplace_back(name + " damaged", damaged.Value());
    }
    ExpectFolded(digests, kCorpusAndDamagedCopies);
}

TEST(MidiSchedule, HandMadeFilesPlayExactlyAsRecorded)
{
    std::vector<std::pair<std::string, std::uint64_t>> digests;
    for (const auto& [name, bytes] : HandMadeFiles()) {
        Digest d;
        AddPlay(d, bytes);
        digests.emplace_back(name, d.Value());
    }
    ExpectFolded(digests, kHandMade);
}

} // namespace
} // namespace corvina
