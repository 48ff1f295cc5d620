// Where the tests find the shared corpus of third-party MIDI and iMelody files (the CMake cache
// variable CORVINA_CORPUS_DIR), and its files by kind.
#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace corvina::test {

inline const std::filesystem::path kCorpus = CORVINA_CORPUS_DIR;
inline const std::filesystem::path kMidiCorpus = kCorpus / "jazz-soft-test-midi-files";
inline const std::filesystem::path kScale = kMidiCorpus / "test-c-major-scale.mid";
inline const std::filesystem::path kImelody = kCorpus / "android-cts-imelody" / "testimy.imy";

// The corpus files with one of the extensions (".mid"; any case), sorted so that every run takes
// them in the same order.
inline std::vector<std::filesystem::path> CorpusFiles(std::initializer_list<const char*> extensions)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace corvina::test
