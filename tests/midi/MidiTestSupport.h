// The fixture of the MIDI engine tests: every test gets its own temporary folder for sources and the
// engine's files, a fresh reader state, and a retry wait that records instead of sleeping.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CMidiFile.h"
#include "MidiBytes.h"
#include "MidiReaderState.h"
#include "ScratchFolder.h"

namespace corvina::test {

class MidiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CMidiFile::SetDefaultTempFolder(m_dir);
        CMidiFile::SetRetryWait([this](int ms) { m_waits.push_back(ms); });
        ResetMidiReaderState();
    }
    void TearDown() override
    {
        CMidiFile::SetRetryWait(nullptr);
        CMidiFile::SetDefaultTempFolder({});
    }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        return m_folder.Write(name, bytes).string();
    }

    ScratchFolder m_folder{"midi-test"};
    const std::filesystem::path m_dir = m_folder.Path();
    std::vector<int> m_waits;
};

} // namespace corvina::test
