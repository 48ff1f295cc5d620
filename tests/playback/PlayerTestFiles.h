// Hand-made MIDI files and a WAV reader for the player tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace corvina::test {

using Bytes = std::vector<std::uint8_t>;

// The bytes of a file with the given header fields and tracks (each the raw event bytes of one MTrk
// chunk); a header longer than 6 bytes is padded with zeros.
inline Bytes SmfBytes(int format, std::uint16_t division, const std::vector<Bytes>& tracks, std::uint32_t headerLength = 6)
{
    Bytes f = {'M', 'T', 'h', 'd', 0, 0, 0, static_cast<std::uint8_t>(headerLength), 0, static_cast<std::uint8_t>(format), 0,
               static_cast<std::uint8_t>(tracks.size()), static_cast<std::uint8_t>(division >> 8),
               static_cast<std::uint8_t>(division)};
    f.resize(8 + headerLength);
    for (const Bytes& t : tracks) {
        f.insert(f.end(), {'M', 'T', 'r', 'k'});
        for (int s = 24; s >= 0; s -= 8) f.push_back(static_cast<std::uint8_t>(t.size() >> s));
        f.insert(f.end(), t.begin(), t.end());
    }
    return f;
}

// The same written to path.
inline void WriteSmf(const std::filesystem::path& path, int format, std::uint16_t division, const std::vector<Bytes>& tracks)
{
    const Bytes f = SmfBytes(format, division, tracks);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
}

struct Wav {
    int SampleRate = 0;
    std::vector<std::int16_t> Samples; // interleaved stereo

    double Seconds() const { return SampleRate ? static_cast<double>(Samples.size()) / 2 / SampleRate : 0; }

    // Root mean square of both channels over [fromMs, toMs) of the file.
    double Rms(double fromMs, double toMs) const
    {
        auto first = static_cast<std::size_t>(fromMs * SampleRate / 1000) * 2;
        auto last = std::min(Samples.size(), static_cast<std::size_t>(toMs * SampleRate / 1000) * 2);
        double sum = 0;
        for (std::size_t i = first; i < last; ++i) sum += static_cast<double>(Samples[i]) * Samples[i];
        return last > first ? std::sqrt(sum / static_cast<double>(last - first)) : 0;
    }
};

// Reads the 16-bit stereo WAV files the player writes (44-byte header).
inline Wav ReadWav(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Wav w;
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0) return w;
    auto u32 = [&](std::size_t p) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[p + i]);
        return v;
    };
    w.SampleRate = static_cast<int>(u32(24));
    std::size_t dataBytes = std::min<std::size_t>(u32(40), bytes.size() - 44);
    w.Samples.resize(dataBytes / 2);
    std::memcpy(w.Samples.data(), bytes.data() + 44, w.Samples.size() * 2);
    return w;
}

} // namespace corvina::test
