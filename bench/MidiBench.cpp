// Speed of the MIDI engine on a large generated file: 16 tracks using all 16 channels, running status,
// tempo changes. Reports bytes/s (MB/s of the source file) and items/s (events/s).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include <unistd.h>

#include "CMidiFile.h"

namespace {

using corvina::CMidiFile;

void Be(std::string& out, std::uint32_t value, int n)
{
    for (int i = n - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void Var(std::string& out, std::uint32_t value)
{
    char groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<char>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    for (int i = count - 1; i >= 0; --i)
        out.push_back(static_cast<char>(groups[i] | (i > 0 ? 0x80 : 0)));
}

// A format-1 file of `events` events in 16 tracks. Each track walks through all 16 channels in runs of
// eight events under running status: notes on and off, with a controller or pitch bend now and then,
// and a tempo change every 2000 events.
std::string Generate(std::int64_t events)
{
    std::mt19937 random(12345);
    std::string file = "MThd";
    Be(file, 6, 4);
    Be(file, 1, 2);
    Be(file, 16, 2);
    Be(file, 480, 2);
    const std::int64_t perTrack = events / 16;
    for (int t = 0; t < 16; ++t) {
        std::string body;
        int channel = t;
        std::uint8_t status = 0;
        for (std::int64_t i = 0; i < perTrack - 1; ++i) {
            Var(body, random() % 4 == 0 ? 0 : random() % 240);
            if (i % 2000 == 0) {
                body += "\xFF\x51\x03";
                Be(body, 400000 + random() % 200000, 3);
                continue;
            }
            if (i % 8 == 0)
                channel = (channel + 1) % 16;
            const int kind = static_cast<int>(random() % 16);
            std::uint8_t wanted = static_cast<std::uint8_t>(0x90 | channel);
            if (kind == 0)
                wanted = static_cast<std::uint8_t>(0xB0 | channel);
            else if (kind == 1)
                wanted = static_cast<std::uint8_t>(0xE0 | channel);
            if (wanted != status) {
                body.push_back(static_cast<char>(wanted));
                status = wanted;
            }
            body.push_back(static_cast<char>(36 + random() % 60));
            body.push_back(static_cast<char>(kind == 2 ? 0 : 1 + random() % 126));
        }
        body += std::string("\x00\xFF\x2F\x00", 4);
        file += "MTrk";
        Be(file, static_cast<std::uint32_t>(body.size()), 4);
        file += body;
    }
    return file;
}

struct Source {
    std::string path;
    std::int64_t bytes = 0;
    std::int64_t events = 0;
};

// Files are made once per size and kept in a private folder for the whole run.
const Source& SourceFor(std::int64_t events)
{
    static std::map<std::int64_t, Source> sources;
    static const std::filesystem::path folder = [] {
        char pattern[] = "/tmp/corvina-midi-bench.XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        CMidiFile::SetDefaultTempFolder(pattern);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
        return std::filesystem::path(pattern);
    }();
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
        state.PauseTiming();   // the destructor's clean-up is not part of loading
        file.ClearFile();
        state.ResumeTiming();
    }
    Report(state, source);
}

void BM_WriteChannelFiles(benchmark::State& state)
{
    const Source& source = SourceFor(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        CMidiFile file;
        file.Load(source.path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(file.WriteChannelFiles());
        state.PauseTiming();
        file.ClearFile();
        state.ResumeTiming();
    }
    Report(state, source);
}

// What the clip editor does when the user opens a file.
void BM_LoadAndWriteChannelFiles(benchmark::State& state)
{
    const Source& source = SourceFor(state.range(0));
    for (auto _ : state) {
        CMidiFile file;
        file.Load(source.path);
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
BENCHMARK(BM_WriteChannelFiles)->Apply(Sizes);
BENCHMARK(BM_LoadAndWriteChannelFiles)->Apply(Sizes);
BENCHMARK(BM_WriteClip)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
