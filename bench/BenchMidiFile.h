// The generated MIDI file the engine's benchmarks read: a format-1 file with 16 tracks using all 16
// channels, running status and a tempo map, of a chosen number of events.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "MidiBytes.h"

namespace corvina::bench {

// A format-1 file of `events` events in 16 tracks. Each track walks through all 16 channels in runs of
// eight events under running status: notes on and off, with a controller or pitch bend now and then,
// and a tempo change every 2000 events.
inline std::string Generate(std::int64_t events)
{
    std::mt19937 random(12345);
    std::string file = test::Header(1, 16, 480);
    const std::int64_t perTrack = events / 16;
    for (int t = 0; t < 16; ++t) {
        std::string body;
        int channel = t;
        std::uint8_t status = 0;
        for (std::int64_t i = 0; i < perTrack - 1; ++i) {
            body += test::Var(random() % 4 == 0 ? 0 : random() % 240);
            if (i % 2000 == 0) {
                body += "\xFF\x51\x03" + test::Be(400000 + random() % 200000, 3);
                continue;
            }
            if (i % 8 == 0)
                channel = (channel + 1) % 16;
            const int kind = static_cast<int>(random() % 16);
            const auto wanted = static_cast<std::uint8_t>((kind == 0 ? 0xB0 : kind == 1 ? 0xE0 : 0x90) | channel);
            if (wanted != status) {
                body.push_back(static_cast<char>(wanted));
                status = wanted;
            }
            body.push_back(static_cast<char>(36 + random() % 60));
            body.push_back(static_cast<char>(kind == 2 ? 0 : 1 + random() % 126));
        }
        file += test::Track(body + test::kEnd);
    }
    return file;
}

// About 2.6 million events: a file of about 10 MB, the size the benchmarks are judged by.
constexpr std::int64_t kTenMegabyteEvents = 2600000;

} // namespace corvina::bench
