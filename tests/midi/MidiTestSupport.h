// Helpers for the MIDI engine tests: building Standard MIDI Files byte by byte and a private temp folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "CMidiFile.h"
#include "MidiReaderState.h"

namespace corvina::test {

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

inline std::string Be(std::uint32_t value, int n)
{
    std::string out;
    for (int i = n - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

inline std::string Var(std::uint32_t value)
{
    std::string out(1, static_cast<char>(value & 0x7F));
    while (value >>= 7)
        out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return out;
}

// "MThd" chunk; extra bytes follow the six standard ones when headerLength is above 6.
inline std::string Header(int format, int tracks, int division, std::uint32_t headerLength = 6)
{
    std::string out = "MThd" + Be(headerLength, 4) + Be(static_cast<std::uint32_t>(format), 2) +
                      Be(static_cast<std::uint32_t>(tracks), 2) + Be(static_cast<std::uint32_t>(division), 2);
    if (headerLength > 6)
        out += std::string(headerLength - 6, '\x55');
    return out;
}

inline const std::string kEnd = Bytes({0x00, 0xFF, 0x2F, 0x00});

// "MTrk" chunk around events (which should end with kEnd).
inline std::string Track(const std::string& events)
{
    return "MTrk" + Be(static_cast<std::uint32_t>(events.size()), 4) + events;
}

inline std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every test gets its own temporary folder for sources and the engine's files, a fresh reader state,
// and a retry wait that records instead of sleeping.
class MidiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/corvina-midi-test.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        CMidiFile::SetDefaultTempFolder(m_dir);
        CMidiFile::SetRetryWait([this](int ms) { m_waits.push_back(ms); });
        ResetMidiReaderState();
    }
    void TearDown() override
    {
        CMidiFile::SetRetryWait(nullptr);
        CMidiFile::SetDefaultTempFolder({});
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::filesystem::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::filesystem::path m_dir;
    std::vector<int> m_waits;
};

} // namespace corvina::test
