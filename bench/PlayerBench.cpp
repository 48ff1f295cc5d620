// Memory and time the PC player takes to read a generated MIDI file and walk every event it would send,
// for the 10 MB benchmark file and for a file just under the largest the player opens (64 MiB). Each
// reading runs in a child process, so that its peak resident memory (ru_maxrss from wait4) is its own.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "BenchMidiFile.h"
#include "CMidiSchedule.h"
#include "ScratchFolder.h"

namespace {

using corvina::CMidiSchedule;

// What a walk saw: the child sends it back, so that the compiler cannot drop the walk.
struct WALK {
    std::int64_t events = 0, lastUs = 0;
};

WALK Walk(const CMidiSchedule& schedule)
{
    WALK walk;
    CMidiSchedule::CCursor cursor = schedule.Begin();
    corvina::SCHEDULED_EVENT e;
    while (cursor.Next(e)) {
        ++walk.events;
        walk.lastUs = e.TimeUs;
    }
    return walk;
}

struct Source {
    std::string path;
    std::int64_t bytes = 0;
};

// The benchmark's private folder, removed at exit (by this process only: children leave with _exit).
const std::filesystem::path& Folder()
{
    static const corvina::test::ScratchFolder folder("player-bench");
    return folder.Path();
}

// A format-1 file of `tracks` tracks of one note each: the most tracks a file of its size can hold
// with a sounding note in each (20 bytes a track).
std::string ManyTracks(std::int64_t tracks)
{
    std::string file = corvina::test::Header(1, 0xFFFF, 96);
    const std::string track = corvina::test::Track(
        corvina::test::Bytes({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00}) + corvina::test::kEnd);
    for (std::int64_t t = 0; t < tracks; ++t)
        file += track;
    return file;
}

// Files are written once per size and kind; the generator's copy is freed before any child starts,
// and this process never reads them, so that no child inherits memory of a reading.
const Source& SourceFor(std::int64_t count, bool manyTracks = false)
{
    static std::map<std::pair<std::int64_t, bool>, Source> sources;
    Source& source = sources[{count, manyTracks}];
    if (source.bytes == 0) {
        const std::string bytes = manyTracks ? ManyTracks(count) : corvina::bench::Generate(count);
        if (bytes.size() > CMidiSchedule::kLargestFile)
            std::abort();
        source.path = (Folder() / ((manyTracks ? "tracks" : "events") + std::to_string(count) + ".mid")).string();
        std::ofstream(source.path, std::ios::binary) << bytes;
        source.bytes = static_cast<std::int64_t>(bytes.size());
    }
    return source;
}

// Runs body (which returns a WALK) in a child process; gives what it saw and its peak resident memory
// in bytes.
template <typename Body>
std::pair<WALK, std::int64_t> RunInChild(Body body)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        std::abort();
    const pid_t child = ::fork();
    if (child < 0)
        std::abort();
    if (child == 0) {
        ::close(pipeFds[0]);
        const WALK walk = body();
        const bool sent = ::write(pipeFds[1], &walk, sizeof walk) == static_cast<ssize_t>(sizeof walk);
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    WALK walk;
    const bool received = ::read(pipeFds[0], &walk, sizeof walk) == static_cast<ssize_t>(sizeof walk);
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !received)
        std::abort();
    return {walk, static_cast<std::int64_t>(usage.ru_maxrss) * 1024};
}

// What the player does with a file: one reading (as the length query and the play share it), then
// every event in playing order.
void ReadAndWalk(benchmark::State& state, bool manyTracks)
{
    const Source& source = SourceFor(state.range(0), manyTracks);
    // A child that only starts and exits: what any process of this program holds anyway.
    const std::int64_t idle = RunInChild([] { return WALK{}; }).second;
    std::int64_t peak = 0;
    WALK walk;
    for (auto _ : state) {
        const auto [seen, childPeak] = RunInChild([&] {
            auto schedule = CMidiSchedule::LoadShared(source.path);
            if (!schedule)
                ::_exit(2);
            return Walk(*schedule);
        });
        if (walk.events != 0 && (seen.events != walk.events || seen.lastUs != walk.lastUs))
            std::abort();
        walk = seen;
        peak = std::max(peak, childPeak);
    }
    state.SetBytesProcessed(state.iterations() * source.bytes);
    state.SetItemsProcessed(state.iterations() * walk.events);
    state.counters["file_MB"] = static_cast<double>(source.bytes) / 1e6;
    state.counters["events"] = static_cast<double>(walk.events);
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["idle_MB"] = static_cast<double>(idle) / 1e6;
    // The reading's own share of the peak, as a multiple of the file's size.
    state.counters["x_file"] = static_cast<double>(peak - idle) / static_cast<double>(source.bytes);
}

// About 2.6 million events (about 10 MB), and 18 million (about 66 MB, just under the largest file).
// The time is the wall time of the child, start to exit.
BENCHMARK_CAPTURE(ReadAndWalk, events, false)
    ->Name("BM_PlayerReadsAndWalksEveryEvent")
    ->Arg(corvina::bench::kTenMegabyteEvents)
    ->Arg(18000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
// The player keeps some state per track while it merges them: the case where that weighs most. 3.3
// million tracks: about 66 MB.
BENCHMARK_CAPTURE(ReadAndWalk, tracks, true)
    ->Name("BM_PlayerReadsAndWalksAFileOfOneNoteTracks")
    ->Arg(3300000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
