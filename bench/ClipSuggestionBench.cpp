// Time of the clip suggestion (bin/corvina_midi_bench --benchmark_filter=Suggest): generated songs of
// 1 000 to 20 000 notes at a steady 16.5 notes a second (the 5 000-note one lasts five minutes); their
// melody alone, four times as fast (every note in the top line: the dearest case); the test corpus.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "CMidiFile.h"
#include "ClipSuggestion.h"
#include "Corpus.h"
#include "GeneratedSongs.h"
#include "RepeatedSections.h"

namespace {

using namespace corvina;

// The first `count` notes of a steady song long enough to hold them; with melodyOnly, of its melody
// played four times as fast (slower, 20 000 notes would outlast the engine's 71 minutes).
const std::vector<SMidiNote>& SongOf(std::int64_t count, bool melodyOnly)
{
    static std::map<std::pair<std::int64_t, bool>, std::vector<SMidiNote>> songs;
    std::vector<SMidiNote>& notes = songs[{count, melodyOnly}];
    for (int seconds = static_cast<int>(count / (melodyOnly ? 2 : 16)); static_cast<std::int64_t>(notes.size()) < count;
         seconds += seconds / 4 + 10) {
        bench::SChorusSong song = bench::GenerateChorusSong(1, {seconds, 120, true});
        notes = song.notes;
        if (melodyOnly) {
            // From the ticks: the song at its own speed may outlast what microseconds in 32 bits hold.
            notes.clear();
            const auto us = [&](std::uint64_t tick) { return std::uint32_t(tick * song.dwTempo / 480 / 4); };
            for (const auto& n : song.ticks)
                if (n.channel == song.byMelodyChannel)
                    notes.push_back({us(n.start), us(n.end), n.key, n.velocity, n.channel, n.track});
        }
    }
    notes.resize(static_cast<std::size_t>(count));
    return notes;
}

void Suggest(benchmark::State& state, bool melodyOnly)
{
    const std::vector<SMidiNote>& notes = SongOf(state.range(0), melodyOnly);
    for (auto _ : state)
        benchmark::DoNotOptimize(SuggestClip(notes));
    state.SetComplexityN(state.range(0));
    state.counters["song_s"] = static_cast<double>(notes.back().dwStartUs) / 1e6;
    state.counters["top_line"] = static_cast<double>(OnsetTopLine(notes).size());
}

// Every file of the corpus that loads, one suggestion each; the notes are collected beforehand.
void BM_SuggestClipCorpus(benchmark::State& state)
{
    std::vector<std::vector<SMidiNote>> files;
    std::size_t most = 0;
    for (const std::filesystem::path& path : test::CorpusFiles({".mid"})) {
        CMidiFile file;
        if (file.Load(path.string()) == kMidiLoadOk) {
            files.push_back(CollectNotes(file, -1, -1));
            most = std::max(most, files.back().size());
        }
    }
    for (auto _ : state)
        for (const auto& notes : files)
            benchmark::DoNotOptimize(SuggestClip(notes));
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["most_notes"] = static_cast<double>(most);
}

// The song sizes, in notes, that the suggestion's cost is measured at.
void SongSizes(benchmark::internal::Benchmark* bench)
{
    for (int notes : {1000, 2000, 5000, 10000, 20000})
        bench->Arg(notes);
    bench->Unit(benchmark::kMillisecond)->Complexity();
}

BENCHMARK_CAPTURE(Suggest, song, false)->Name("BM_SuggestClip")->Apply(SongSizes);
BENCHMARK_CAPTURE(Suggest, melody, true)->Name("BM_SuggestClipFastMelody")->Apply(SongSizes);
BENCHMARK(BM_SuggestClipCorpus)->Unit(benchmark::kMillisecond);

} // namespace
