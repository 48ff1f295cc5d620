// WAV output for the player's file mode.
#include "CWavWriter.h"

#include <cstring>
#include <limits>

namespace corvina {
namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerSample = 2;

void Put16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

CWavWriter::~CWavWriter()
{
    Close();
}

bool CWavWriter::Open(const std::filesystem::path& path, int sampleRate)
{
    Close();
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file)
        return false;
    m_dataBytes = 0;
    std::uint8_t header[44] = {};
    std::memcpy(header, "RIFF", 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    Put32(header + 16, 16);
    Put16(header + 20, 1); // PCM
    Put16(header + 22, kChannels);
    Put32(header + 24, static_cast<std::uint32_t>(sampleRate));
    Put32(header + 28, static_cast<std::uint32_t>(sampleRate * kChannels * kBytesPerSample));
    Put16(header + 32, kChannels * kBytesPerSample);
    Put16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    if (std::fwrite(header, sizeof header, 1, m_file) != 1) {
        std::fclose(m_file);
        m_file = nullptr;
        return false;
    }
    return true;
}

bool CWavWriter::Write(const std::int16_t* interleaved, std::size_t frames)
{
    if (!m_file)
        return false;
    std::size_t bytes = frames * kChannels * kBytesPerSample;
    // The header's sizes are 32-bit: a longer rendering is cut there.
    if (bytes > std::numeric_limits<std::uint32_t>::max() - 36 - m_dataBytes)
        return false;
    // The host is little-endian, as WAV is.
    if (std::fwrite(interleaved, 1, bytes, m_file) != bytes)
        return false;
    m_dataBytes += static_cast<std::uint32_t>(bytes);
    return true;
}

void CWavWriter::Close()
{
    if (!m_file)
        return;
    std::uint8_t size[4];
    Put32(size, 36 + m_dataBytes);
    std::fseek(m_file, 4, SEEK_SET);
    std::fwrite(size, 4, 1, m_file);
    Put32(size, m_dataBytes);
    std::fseek(m_file, 40, SEEK_SET);
    std::fwrite(size, 4, 1, m_file);
    std::fclose(m_file);
    m_file = nullptr;
}

} // namespace corvina
