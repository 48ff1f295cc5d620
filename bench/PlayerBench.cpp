// Memory and time the PC player takes to read a generated MIDI file and walk every event it would send,
// for the 10 MB benchmark file and for a file just under the largest the player opens (64 MiB). Each
// reading runs in a child process, so that its peak resident memory (ru_maxrss from wait4) is its own.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "BenchMidiFile.h"
#include "CMidiSchedule.h"

namespace {

using corvina::CMidiSchedule;

// What a walk saw, so that the compiler cannot drop it; the child exits with a digest of it.
struct WALK {
    std::int64_t events = 0;
    std::int64_t lastUs = 0;
};

WALK Walk(const CMidiSchedule& schedule)
{
    WALK walk;
    for (const corvina::SCHEDULED_EVENT& e : schedule.Events()) {
        ++walk.events;
        walk.lastUs = e.TimeUs;
    }
    return walk;
}

struct Source {
    std::string path;
    std::int64_t bytes = 0;
    std::int64_t events = 0;
};

// Files are written once per size into a private folder, and the generator's copy is freed before any
// child is started, so that no child inherits it.
const Source& SourceFor(std::int64_t events)
{
    static std::map<std::int64_t, Source> sources;
    static const std::filesystem::path folder = [] {
        char pattern[] = "/tmp/corvina-player-bench.XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
        return std::filesystem::path(pattern);
    }();
    Source& source = sources[events];
    if (source.bytes == 0) {
        {
            const std::string bytes = corvina::bench::Generate(events);
            if (bytes.size() > CMidiSchedule::kLargestFile)
                std::abort();
            source.path = (folder / ("source" + std::to_string(events) + ".mid")).string();
            std::ofstream(source.path, std::ios::binary) << bytes;
            source.bytes = static_cast<std::int64_t>(bytes.size());
        }
        auto schedule = CMidiSchedule::LoadShared(source.path);
        if (!schedule)
            std::abort();
        source.events = Walk(*schedule).events;
    }
    return source;
}

// Runs body in a child process and returns the child's peak resident memory in bytes.
template <typename Body>
std::int64_t PeakOfChild(Body body)
{
    const pid_t child = ::fork();
    if (child < 0)
        std::abort();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 99)
        std::abort();
    return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}

// What the player does with a file: one reading (as the length query and the play share it), then
// every event in playing order.
void BM_PlayerReadsAndWalksEveryEvent(benchmark::State& state)
{
    const Source& source = SourceFor(state.range(0));
    // A child that only starts and exits: what any process of this program holds anyway.
    const std::int64_t idle = PeakOfChild([] { return 0; });
    std::int64_t peak = 0;
    for (auto _ : state) {
        peak = PeakOfChild([&] {
            auto schedule = CMidiSchedule::LoadShared(source.path);
            if (!schedule)
                return 99;
            const WALK walk = Walk(*schedule);
            return walk.events == source.events ? static_cast<int>(walk.lastUs & 0x3F) : 99;
        });
    }
    state.SetBytesProcessed(state.iterations() * source.bytes);
    state.SetItemsProcessed(state.iterations() * source.events);
    state.counters["file_MB"] = static_cast<double>(source.bytes) / 1e6;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["idle_MB"] = static_cast<double>(idle) / 1e6;
    // The reading's own share of the peak, as a multiple of the file's size.
    state.counters["x_file"] = static_cast<double>(peak - idle) / static_cast<double>(source.bytes);
}

// About 2.6 million events (about 10 MB), and 18 million (about 66 MB, just under the largest file).
BENCHMARK(BM_PlayerReadsAndWalksEveryEvent)
    ->Arg(corvina::bench::kTenMegabyteEvents)
    ->Arg(18000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
