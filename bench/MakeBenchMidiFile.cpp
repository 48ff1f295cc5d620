// Writes the benchmarks' generated MIDI file, so that command-line tools can be timed on it:
// corvina-make-bench-midi OUT [EVENTS] (about 2.6 million events, 10 MB, by default).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "BenchMidiFile.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: corvina-make-bench-midi OUT [EVENTS]\n");
        return 64;
    }
    const long long events = argc == 3 ? std::atoll(argv[2]) : corvina::bench::kTenMegabyteEvents;
    if (events < 32) {
        std::fprintf(stderr, "corvina-make-bench-midi: EVENTS must be at least 32\n");
        return 64;
    }
    const std::string bytes = corvina::bench::Generate(events);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "corvina-make-bench-midi: cannot write %s\n", argv[1]);
        return 2;
    }
    std::printf("%s: %zu bytes\n", argv[1], bytes.size());
    return 0;
}
