// The clip suggestion on generated songs, hand-made tunes and the corpus, and the wording of its reason.
#include "ClipReason.h"
#include "ClipSuggestion.h"
#include "Corpus.h"
#include "GeneratedSongs.h"
#include "MidiTestSupport.h"

#include <cmath>
#include <iostream>
#include <random>

namespace corvina::test {
namespace {

// Whether the clip starts on an onset and no pitched note is held across either of its ends.
::testing::AssertionResult CutsCleanly(const std::vector<SMidiNote>& notes, const SClipSuggestion& clip)
{
    const auto across = [&](std::int64_t t) {
        return std::any_of(notes.begin(), notes.end(), [&](const SMidiNote& n) {
            return n.byChannel != kDrumChannel && n.dwStartUs + 30000 < t && n.dwEndUs > t + 30000;
        });
    };
    const auto onset = std::find_if(notes.begin(), notes.end(),
                                    [&](const SMidiNote& n) { return n.dwStartUs / 1000 == clip.dwFromMs; });
    if (onset == notes.end() || across(onset->dwStartUs) || across(std::int64_t{clip.dwToMs} * 1000))
        return ::testing::AssertionFailure() << "clip " << clip.dwFromMs << " to " << clip.dwToMs << " ms";
    return ::testing::AssertionSuccess();
}

// Quarter notes at 120 a minute from `at` on; returns where they end.
std::uint32_t Play(std::vector<SMidiNote>& notes, std::uint32_t at, const std::vector<int>& keys)
{
    for (int key : keys) {
        notes.push_back({at, at + 450000, static_cast<std::uint8_t>(key), 90, 0, 0});
        at += 500000;
    }
    return at;
}

TEST(ClipSuggestion, FindsAChorusInNineOfTenGeneratedSongsAndCutsItCleanly)
{
    int found = 0;
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        const bench::SChorusSong song = bench::GenerateChorusSong(seed);
        const SClipSuggestion clip = SuggestClip(song.notes);
        double best = 0;
        for (const bench::SChorusMade& chorus : song.choruses) {
            const double from = clip.dwFromMs, to = clip.dwToMs, start = chorus.dwStartUs / 1000.0,
                         end = chorus.dwEndUs / 1000.0;
            best = std::max(best, std::max(0.0, std::min(to, end) - std::max(from, start)) /
                                      (std::max(to, end) - std::min(from, start)));
        }
        found += best >= 0.8;
        EXPECT_TRUE(CutsCleanly(song.notes, clip)) << "seed " << seed;
        EXPECT_NEAR((clip.dwToMs - clip.dwFromMs) / 1000.0, 25, 10) << "seed " << seed;
    }
    std::cout << found << " of 200 suggestions overlap a chorus by 0.8 or more (intersection over union)\n";
    EXPECT_GE(found, 180);
}

TEST(ClipSuggestion, FindsTheChorusThatReturnsTransposedAndVariedAndWordsWhy)
{
    // Fresh material around a 16-note chorus; it returns a fourth higher, then with two notes changed.
    std::mt19937 random(7);
    const auto fresh = [&] {
        std::vector<int> keys(16);
        for (int& key : keys)
            key = 50 + static_cast<int>(random() % 36);
        return keys;
    };
    const std::vector<int> chorus = {72, 74, 76, 72, 79, 77, 76, 74, 72, 74, 76, 79, 81, 79, 77, 76};
    std::vector<int> higher = chorus, changed = chorus;
    for (int& key : higher)
        key += 5;
    changed[3] = 71;
    changed[10] = 77;
    std::vector<SMidiNote> notes;
    std::uint32_t at = Play(notes, 0, fresh());
    for (const auto& part : {chorus, fresh(), higher, fresh(), changed, fresh()})
        at = Play(notes, at, part);

    const SClipSuggestion clip = SuggestClip(notes, {10});
    ASSERT_EQ(clip.eBasis, EClipBasis::kRepetition);
    EXPECT_EQ(std::pair(clip.dwFromMs, clip.dwToMs), std::pair(8000u, 15999u));
    ASSERT_EQ(clip.Repeats(), 3);
    EXPECT_EQ(clip.occurrences[2].dwStartMs, 40000u);
    EXPECT_EQ(clip.ReturnSemitones(), (std::vector<int>{5, 0}));
    EXPECT_FALSE(clip.occurrences[1].bVaried);
    EXPECT_TRUE(clip.occurrences[2].bVaried);
    EXPECT_EQ(WordClipReason(clip), "returns 2 times; first return a fourth higher; second return varied");
    SClipReasonWords words = EnglishClipReasonWords();
    words.intervals[5] = "une quarte";
    words.higher = "{return} : {interval} plus haut";
    words.returns[0] = "premier retour";
    EXPECT_NE(WordClipReason(clip, words).find("premier retour : une quarte plus haut"), std::string::npos);

    // A chord held over the chorus's first note moves the start to where nothing is held.
    notes.push_back({7000000, 9000000, 60, 70, 1, 0});
    const SClipSuggestion held = SuggestClip(notes, {10});
    EXPECT_EQ(held.dwFromMs, 7000u);
    EXPECT_TRUE(CutsCleanly(notes, held));
}

TEST(ClipSuggestion, SaysSoWhenNothingReturnsAndProposesTheBusiestStretch)
{
    // A minute of random quarter notes with ten seconds of eighths from 30 s on.
    std::mt19937 random(11);
    std::vector<SMidiNote> notes;
    for (std::uint32_t at = 0; at < 60000000; at += at >= 30000000 && at < 40000000 ? 250000 : 500000)
        notes.push_back({at, at + 200000, static_cast<std::uint8_t>(48 + random() % 36), 80, 0, 0});
    const SClipSuggestion clip = SuggestClip(notes, {10});
    EXPECT_EQ(clip.eBasis, EClipBasis::kDensest);
    EXPECT_EQ(clip.Repeats(), 1);
    EXPECT_TRUE(clip.occurrences.empty());
    EXPECT_EQ(WordClipReason(clip), "no part returns; the stretch with the most notes");
    EXPECT_NEAR(clip.dwFromMs, 30000, 1000);
    EXPECT_NEAR(clip.dwToMs, 40000, 1000);
}

TEST(ClipSuggestion, AnswersEmptyShortAndWronglyAskedCasesPlainly)
{
    const SClipSuggestion none = SuggestClip({});
    EXPECT_EQ(std::pair(none.eBasis, none.Repeats()), std::pair(EClipBasis::kNoNotes, 0));
    EXPECT_EQ(WordClipReason(none), "no notes");

    std::vector<SMidiNote> notes;
    Play(notes, 1000000, {60, 62, 64, 65, 67, 65, 64, 62, 60});
    const SClipSuggestion whole = SuggestClip(notes);
    EXPECT_EQ(std::tuple(whole.eBasis, whole.dwFromMs, whole.dwToMs), std::tuple(EClipBasis::kWholeTune, 1000u, 5450u));

    for (double seconds : {0.0, -5.0, 3601.0, std::nan("")})
        EXPECT_THROW(SuggestClip(notes, {seconds}), std::invalid_argument) << seconds;
}

TEST(ClipSuggestion, SuggestsAClipInsideEveryCorpusFileStartingOnAnOnset)
{
    int files = 0;
    for (const std::filesystem::path& path : CorpusFiles({".mid"})) {
        CMidiFile file;
        if (file.Load(path.string()) != kMidiLoadOk)
            continue;
        ++files;
        const std::vector<SMidiNote> notes = CollectNotes(file, -1, -1);
        const SClipSuggestion clip = SuggestClip(notes);
        EXPECT_EQ(clip.eBasis == EClipBasis::kNoNotes, notes.empty()) << path;
        if (notes.empty())
            continue;
        EXPECT_LE(clip.dwFromMs, clip.dwToMs) << path;
        int length = 0;
        for (int t = 0; t < file.GetTrackCount(); ++t)
            length = std::max(length, file.GetTrack(t)->GetLengthMs());
        EXPECT_LE(clip.dwToMs, static_cast<std::uint32_t>(length)) << path;
        EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [&](const SMidiNote& n) {
            return n.dwStartUs / 1000 == clip.dwFromMs;
        })) << path;
    }
    EXPECT_GE(files, 80);
}

} // namespace
} // namespace corvina::test
