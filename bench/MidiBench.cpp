// Speed of the MIDI engine on a large generated file: 16 tracks using all 16 channels, running status,
// tempo changes. Reports bytes/s (MB/s of the source file) and items/s (events/s).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "BenchMidiFile.h"
#include "CMidiFile.h"
#include "ScratchFolder.h"

namespace {

using corvina::CMidiFile;
using corvina::bench::Generate;

struct Source {
    std::string path;
    std::int64_t bytes = 0, events = 0;
};

// The run's private folder, also the engine's, removed at exit.
const std::filesystem::path& BenchFolder()
{
    static const corvina::test::ScratchFolder folder("midi-bench");
    [[maybe_unused]] static const bool engineUsesIt = (CMidiFile::SetDefaultTempFolder(folder.Path()), true);
    return folder.Path();
}

// Files are made once per size and kept in the private folder for the whole run.
const Source& SourceFor(std::int64_t events)
{
    static std::map<std::int64_t, Source> sources;
    const std::filesystem::path& folder = BenchFolder();
    Source& source = sources[events];
    if (source.bytes == 0) {
        const std::string bytes = Generate(events);
        source.path = (folder / ("source" + std::to_string(events) + ".mid")).string();
        std::ofstream(source.path, std::ios::binary) << bytes;
        source.bytes = static_cast<std::int64_t>(bytes.size());
        CMidiFile file;
        if (file.Load(source.path) != corvina::kMidiLoadOk)
            std::abort();
        for (int t = 0; t < file.GetTrackCount(); ++t)
            source.events += static_cast<std::int64_t>(file.GetTrack(t)->GetEvents().size());
    }
    return source;
}

void Report(benchmark::State& state, const Source& source)
{
    state.SetBytesProcessed(state.iterations() * source.bytes);
    state.SetItemsProcessed(state.iterations() * source.events);
    state.counters["file_MB"] = static_cast<double>(source.bytes) / 1e6;
}

void BM_Load(benchmark::State& state)
{
    const Source& source = SourceFor(state.range(0));
    for (auto _ : state) {
        CMidiFile file;
        benchmark::DoNotOptimize(file.Load(source.path));
        state.PauseTiming(); // the destructor's clean-up is not part of loading
        file.ClearFile();
        state.ResumeTiming();
    }
    Report(state, source);
}

// Writing the channel files; with the load before it timed too, what the clip editor does when the
// user opens a file.
void WriteChannelFiles(benchmark::State& state, bool withLoad)
{
    const Source& source = SourceFor(state.range(0));
    for (auto _ : state) {
        if (!withLoad)
            state.PauseTiming();
        CMidiFile file;
        file.Load(source.path);
        if (!withLoad)
            state.ResumeTiming();
        benchmark::DoNotOptimize(file.WriteChannelFiles());
        state.PauseTiming();
        file.ClearFile();
        state.ResumeTiming();
    }
    Report(state, source);
}

// A clip of all tracks over the middle half of the file.
void BM_WriteClip(benchmark::State& state)
{
    const Source& source = SourceFor(state.range(0));
    CMidiFile file;
    file.Load(source.path);
    std::uint32_t length = 0;
    for (int t = 0; t < file.GetTrackCount(); ++t)
        length = std::max<std::uint32_t>(length, file.GetTrack(t)->GetEvents().back().GetTime());
    for (auto _ : state)
        benchmark::DoNotOptimize(file.WriteClip(length / 4, length / 4 * 3));
    Report(state, source);
}

// About one million events (about 4 MB), and about 2.6 million (about 10 MB).
void Sizes(benchmark::internal::Benchmark* bench)
{
    bench->Arg(1000000)->Arg(2600000)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Load)->Apply(Sizes);
BENCHMARK_CAPTURE(WriteChannelFiles, write, false)->Name("BM_WriteChannelFiles")->Apply(Sizes);
BENCHMARK_CAPTURE(WriteChannelFiles, load_and_write, true)->Name("BM_LoadAndWriteChannelFiles")->Apply(Sizes);
BENCHMARK(BM_WriteClip)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
