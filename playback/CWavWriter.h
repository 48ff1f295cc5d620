// Writes 16-bit interleaved stereo PCM into a WAV file; the sizes in the header are set on Close.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace corvina {

class CWavWriter {
public:
    // Most frames one file can hold: its sizes are 32-bit.
    static constexpr std::int64_t kMaxFrames = (std::int64_t{0xFFFFFFFF} - 36) / 4;

    CWavWriter() = default;
    ~CWavWriter();
    CWavWriter(const CWavWriter&) = delete;
    CWavWriter& operator=(const CWavWriter&) = delete;

    // Creates or truncates the file and writes a header; false when it cannot be written.
    bool Open(const std::filesystem::path& path, int sampleRate);
    // Appends frames (left, right pairs); false when writing fails.
    bool Write(const std::int16_t* interleaved, std::size_t frames);
    // Fills in the header sizes and closes the file.
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

private:
    std::FILE* m_file = nullptr;
    std::uint32_t m_dataBytes = 0;
};

} // namespace corvina
