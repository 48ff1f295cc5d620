// The melody line: how often it finds the tune of generated songs against the plain skyline (printed
// before the timings), and its time on a five-minute song, from the notes and from the file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "CMidiFile.h"
#include "GeneratedSongs.h"
#include "MelodyLibrary.h"
#include "MelodyLine.h"
#include "ScratchFolder.h"

namespace {

using namespace corvina;

constexpr int kSongs = 400;
constexpr double kSongSeconds = 30;
constexpr double kFiveMinutes = 300;

void ReportAccuracy()
{
    double sum[2] = {}, good[2] = {}; // of the melody line, of the skyline
    for (int seed = 1; seed <= kSongs; ++seed) {
        const bench::STuneSong song = bench::GenerateTuneSong(static_cast<std::uint32_t>(seed), kSongSeconds);
        const double recall[2] = {bench::TuneRecall(song.tune, ExtractMelodyLine(song.notes).notes),
                                  bench::TuneRecall(song.tune, SkylineLine(song.notes))};
        for (int i : {0, 1}) {
            sum[i] += recall[i];
            good[i] += recall[i] >= 0.9;
        }
    }
    std::printf("tune notes found (key and onset) in %d generated songs of %.0f s:\n", kSongs, kSongSeconds);
    for (int i : {0, 1})
        std::printf("  %-12s %.1f %% of notes on average; %.1f %% of songs with at least 90 %%\n",
                    i == 0 ? "melody line:" : "skyline:", 100.0 * sum[i] / kSongs, 100.0 * good[i] / kSongs);
}

// The busiest five minutes of the first seeds (157 beats per minute; the timings print its notes).
const bench::STuneSong& LongSong()
{
    static const bench::STuneSong song = bench::GenerateTuneSong(4, kFiveMinutes);
    return song;
}

// The song's notes, and with range(0) > 1 that many copies of them on tracks of their own, as if that
// many songs played at once: how the time grows with the number of notes.
void BM_MelodyLineOfFiveMinutes(benchmark::State& state)
{
    std::vector<SMidiNote> notes;
    for (int copy = 0; copy < state.range(0); ++copy)
        for (SMidiNote note : LongSong().notes) {
            note.nTrack += 6 * copy;
            notes.push_back(note);
        }
    std::stable_sort(notes.begin(), notes.end(),
                     [](const SMidiNote& a, const SMidiNote& b) { return a.dwStartUs < b.dwStartUs; });
    for (auto _ : state)
        benchmark::DoNotOptimize(ExtractMelodyLine(notes));
    state.counters["notes"] = static_cast<double>(notes.size());
}

// What corvina-midi melody does after parsing its options: load, collect, find the line, write iMelody.
void BM_FiveMinuteFileToiMelody(benchmark::State& state)
{
    const test::ScratchFolder folder("melody-bench");
    const std::string path =
        folder.Write("song.mid", bench::SongFile(LongSong().notes, LongSong().usPerQuarter)).string();
    std::size_t written = 0;
    for (auto _ : state) {
        CMidiFile file(folder.Path());
        if (file.Load(path) != kMidiLoadOk)
            std::abort();
        const SMelodyLine line = ExtractMelodyLine(CollectNotes(file, -1, -1));
        std::vector<TimedNote> timed;
        for (const SMidiNote& n : line.notes)
            timed.push_back({n.dwStartUs, n.dwEndUs, n.byKey});
        std::ostringstream out;
        ExportiMelody(MelodyFromLine(timed, BeatFromTempo(file.GetTrack(line.nTrack)->GetTempoAt(0)),
                                     eNoteValues::iMelody, "song"),
                      out);
        written = out.str().size();
    }
    state.counters["imy_bytes"] = static_cast<double>(written);
}

BENCHMARK(BM_MelodyLineOfFiveMinutes)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiveMinuteFileToiMelody)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    ReportAccuracy();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
