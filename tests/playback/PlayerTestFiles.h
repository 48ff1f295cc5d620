// Hand-made MIDI files written out, a WAV reader and a player that counts its ends, for the player tests.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "CMciPlayer.h"
#include "MidiBytes.h"
#include "ScratchFolder.h"

namespace corvina::test {

// The bytes the player's reader takes, and a hand-made file in them (each track the raw event bytes of
// one chunk).
using ByteVector = std::vector<std::uint8_t>;
inline ByteVector SmfBytes(int format, std::uint16_t division, const std::vector<ByteVector>& tracks,
                           std::uint32_t headerLength = 6)
{
    std::vector<std::string> chunks;
    for (const ByteVector& track : tracks)
        chunks.emplace_back(track.begin(), track.end());
    const std::string file = Smf(format, division, chunks, headerLength);
    return {file.begin(), file.end()};
}

// The same written to path.
inline void WriteSmf(const std::filesystem::path& path, int format, std::uint16_t division,
                     const std::vector<ByteVector>& tracks)
{
    const ByteVector file = SmfBytes(format, division, tracks);
    WriteFile(path, {file.begin(), file.end()});
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
        for (std::size_t i = first; i < last; ++i)
            sum += static_cast<double>(Samples[i]) * Samples[i];
        return last > first ? std::sqrt(sum / static_cast<double>(last - first)) : 0;
    }
};

// Reads the 16-bit stereo WAV files the player writes (44-byte header).
inline Wav ReadWav(const std::filesystem::path& path)
{
    const std::string bytes = ReadFile(path);
    Wav w;
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0)
        return w;
    auto u32 = [&](std::size_t p) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(bytes[p + i]);
        return v;
    };
    w.SampleRate = static_cast<int>(u32(24));
    std::size_t dataBytes = std::min<std::size_t>(u32(40), bytes.size() - 44);
    w.Samples.resize(dataBytes / 2);
    std::memcpy(w.Samples.data(), bytes.data() + 44, w.Samples.size() * 2);
    return w;
}

// A player whose end-of-play notices, which come from its playing thread, are counted.
class WatchedPlayer : public CMciPlayer {
public:
    WatchedPlayer()
    {
        SetNotify([this] {
            std::lock_guard<std::mutex> lock(m_lock);
            ++m_ends;
            m_ended.notify_all();
        });
    }
    // Closed here, so that no notice comes while the count is destroyed.
    ~WatchedPlayer() override { Close(); }

    int Ends()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_ends;
    }
    bool WaitForEnds(int n)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_ended.wait_for(lock, std::chrono::seconds(20), [&] { return m_ends >= n; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_ended;
    int m_ends = 0;
};

} // namespace corvina::test
