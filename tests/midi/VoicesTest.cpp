// Voice counts and the fit to a phone, on hand-made clips, 1 000 generated ones and the corpus.
#include "ClipFit.h"
#include "Corpus.h"
#include "MidiTestSupport.h"
#include "Voices.h"

#include <random>

namespace corvina {
namespace {

using namespace test;

// The peak counted another way: at each start, the notes begun by then less those ended by then.
int CountedPeak(const std::vector<SMidiNote>& notes)
{
    std::vector<std::uint32_t> starts, ends;
    for (const SMidiNote& n : notes)
        if (n.dwEndUs > n.dwStartUs) {
            starts.push_back(n.dwStartUs);
            ends.push_back(n.dwEndUs);
        }
    std::sort(starts.begin(), starts.end());
    std::sort(ends.begin(), ends.end());
    long peak = 0;
    for (std::uint32_t t : starts)
        peak = std::max(peak, (std::upper_bound(starts.begin(), starts.end(), t) - starts.begin()) -
                                  (std::upper_bound(ends.begin(), ends.end(), t) - ends.begin()));
    return static_cast<int>(peak);
}

std::vector<std::uint8_t> AsBytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

// A format-1 clip: a legato tune on channel 0 above chords, a bass line and drums (with restruck keys
// and notes of no length). Division 100 with a tempo in hundreds of microseconds keeps times exact.
std::string GeneratedClip(std::mt19937& random)
{
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    struct Ev {
        int tick, on, status, key;
    };
    std::vector<std::vector<Ev>> tracks(3);
    auto note = [&](int track, int channel, int start, int length, int key) {
        tracks[track].push_back({start, 1, 0x90 | channel, key});
        tracks[track].push_back({start + length, 0, (pick(0, 1) ? 0x80 : 0x90) | channel, key});
    };
    const int length = pick(4, 16) * 100;
    for (int t = 0, step = 0; t < length; t += step) {
        step = std::min(50 * pick(1, 3), length - t);
        note(0, 0, t, step, pick(72, 84));
    }
    for (int t = 0; t < length; t += 100) {
        for (int k = pick(0, 4); k > 0; --k)
            note(1, 1, t + pick(0, 1) * 25, pick(1, 4) * 50, pick(55, 70));
        note(1, 2, t, pick(1, 2) * 60, pick(36, 47));
        for (int k = pick(0, 3); k > 0; --k)
            note(2, kDrumChannel, t + pick(0, 3) * 25, pick(0, 2) * 20, pick(35, 40));
    }
    std::string file = Header(1, 3, 100);
    for (auto& events : tracks) {
        std::stable_sort(events.begin(), events.end(),
                         [](const Ev& a, const Ev& b) { return a.tick != b.tick ? a.tick < b.tick : a.on < b.on; });
        std::string body = &events == &tracks[0] ? Bytes({0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20}) : "";
        int last = 0;
        for (const Ev& e : events) {
            body += Var(static_cast<std::uint32_t>(e.tick - last)) + Bytes({e.status, e.key, e.on ? pick(1, 127) : 0});
            last = e.tick;
        }
        file += Track(body + kEnd);
    }
    return file;
}

class Voices : public MidiTest {
protected:
    std::vector<SMidiNote> NotesOf(const std::vector<std::uint8_t>& bytes, int channel = -1)
    {
        CMidiFile file;
        // A new name each time: rewriting one file makes the file system flush it on every close.
        const std::string name = "clip" + std::to_string(m_written++) + ".mid";
        EXPECT_EQ(file.Load(Write(name, std::string(bytes.begin(), bytes.end()))), kMidiLoadOk);
        return CollectNotes(file, -1, channel);
    }
    int m_written = 0;
};

TEST_F(Voices, CountsARestruckKeyOnceAndDrumsLikeAnyNote)
{
    // Tick = 5000 us. C and E from 0; C restruck at 100 (one voice handed on); a drum joins at 100.
    const std::string events = Bytes({0,  0x90, 60,   90, 0, 64, 90,   100, 60, 90, 0,    0x99, 36,
                                      90, 50,   0x80, 60, 0, 0,  0x90, 64,  0,  50, 0x89, 36,   0}) +
                               kEnd;
    const SVoicePeak peak = PeakVoices(NotesOf(AsBytes(Header(0, 1, 100) + Track(events))));
    EXPECT_EQ(std::pair(peak.nVoices, peak.dwAtUs), std::pair(3, 500000u));
    EXPECT_EQ(PeakVoices({}).nVoices, 0);
}

TEST_F(Voices, GeneratedClipsFitTheirVoicesLoadAgainAndKeepTheirTune)
{
    std::mt19937 random(20261206);
    for (int i = 0; i < 1000; ++i) {
        const std::string clip = GeneratedClip(random);
        const std::vector<SMidiNote> notes = NotesOf(AsBytes(clip));
        ASSERT_EQ(PeakVoices(notes).nVoices, CountedPeak(notes)) << "clip " << i;
        const std::vector<SMidiNote> tune = NotesOf(AsBytes(clip), 0);
        for (const int voices : {4, 16, 32}) {
            const SClipFitResult fit = FitClip(AsBytes(clip), {voices, 0, {}});
            ASSERT_TRUE(fit.Ok()) << fit.strError;
            const std::vector<SMidiNote> after = NotesOf(fit.bytes);
            ASSERT_LE(CountedPeak(after), voices) << "clip " << i;
            EXPECT_EQ(fit.nVoices, CountedPeak(after));
            EXPECT_EQ(after.size() + fit.dropped.size(), notes.size());
            if (voices == 4) {
                EXPECT_EQ(NotesOf(fit.bytes, 0), tune) << "clip " << i;
            }
        }
    }
}

TEST_F(Voices, CorpusFilesFitTheirVoices)
{
    int fitted = 0;
    for (const std::filesystem::path& path : CorpusFiles({".mid"})) {
        const std::vector<std::uint8_t> bytes = AsBytes(ReadFile(path));
        for (const int voices : {4, 16, 32}) {
            const SClipFitResult fit = FitClip(bytes, {voices, 0, {}});
            if (!fit.Ok())
                break; // the files that are not MIDI at all
            ResetMidiReaderState();
            EXPECT_LE(CountedPeak(NotesOf(fit.bytes)), voices) << path;
            ++fitted;
        }
    }
    EXPECT_GT(fitted, 150);
}

TEST_F(Voices, TheByteLimitIsMetByDroppingNotesOrRefusedClearly)
{
    std::mt19937 random(7);
    const std::string clip = GeneratedClip(random);
    const SClipFitResult fit = FitClip(AsBytes(clip), {32, clip.size() / 2, {}});
    ASSERT_TRUE(fit.Ok()) << fit.strError;
    EXPECT_LE(fit.bytes.size(), clip.size() / 2);
    EXPECT_FALSE(fit.dropped.empty());
    EXPECT_EQ(NotesOf(fit.bytes).size() + fit.dropped.size(), NotesOf(AsBytes(clip)).size());

    const SClipFitResult tooSmall = FitClip(AsBytes(clip), {32, 30, {}});
    EXPECT_TRUE(tooSmall.bReadable);
    EXPECT_NE(tooSmall.strError.find("30 bytes"), std::string::npos) << tooSmall.strError;
    EXPECT_TRUE(tooSmall.bytes.empty());
    const SClipFitResult garbage = FitClip(AsBytes("not a MIDI file"), {4, 0, {}});
    EXPECT_FALSE(garbage.Ok() || garbage.bReadable);
}

TEST_F(Voices, AnSpMidiPriorityMessageOverridesTheTuneOrder)
{
    // Channel 1 plays above channel 0; both hold a note over the same second.
    const std::string notes = Bytes({0, 0x90, 48, 80, 0, 0x91, 72, 80, 100, 0x80, 48, 0, 0, 0x81, 72, 0}) + kEnd;
    const std::string mip = Bytes({0, 0xF0, 9, 0x7F, 0x7F, 0x0B, 0x01, 0, 1, 1, 2, 0xF7});
    const SClipFitResult plain = FitClip(AsBytes(Header(0, 1, 100) + Track(notes)), {1, 0, {}});
    const SClipFitResult ordered = FitClip(AsBytes(Header(0, 1, 100) + Track(mip + notes)), {1, 0, {}});
    ASSERT_TRUE(plain.Ok() && ordered.Ok());
    EXPECT_FALSE(plain.bChannelOrderFromFile);
    EXPECT_TRUE(ordered.bChannelOrderFromFile);
    EXPECT_EQ(NotesOf(plain.bytes).at(0).byKey, 72);
    EXPECT_EQ(NotesOf(ordered.bytes).at(0).byKey, 48);
}

} // namespace
} // namespace corvina
